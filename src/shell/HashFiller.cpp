#include "shell/HashFiller.h"

#include "album/AlbumDb.h"
#include "album/ContentHashes.h"
#include "album/add/SimilarPictures.h"

namespace q32 {
namespace {

// How long other writers may have to wait for one of the filler's commits.
constexpr int kCommitEveryMs = 100;

} // namespace

HashFiller::HashFiller(Kind kind, const QString& path, const QString& password) {
    // Hashing whole albums is this job's work: it yields to everything else.
    m_job.start(
        [kind, path, password](const std::atomic<bool>& stop) {
            AlbumStatus status;
            auto album = AlbumDb::open(path, OpenOptions{false, password, false}, &status);
            if (!album)
                return;
            const auto stopped = [&stop] { return stop.load(); };
            if (kind == Kind::Content && album->hasContentHashes())
                FillContentHashes(*album, nullptr, stopped, kCommitEveryMs);
            else if (kind == Kind::Picture && HasPictureHashTable(*album))
                FillPictureHashes(*album, nullptr, stopped);
        },
        BackgroundJob::Priority::Lowest);
}

} // namespace q32
