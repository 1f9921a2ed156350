#include "shell/PictureHashFiller.h"

#include "album/AlbumDb.h"
#include "album/add/SimilarPictures.h"

namespace q32 {

PictureHashFiller::PictureHashFiller(const QString& path, const QString& password) {
    // Decoding pictures is this job's work: it yields to everything else.
    m_job.start(
        [path, password](const std::atomic<bool>& stop) {
            AlbumStatus status;
            auto album = AlbumDb::open(path, OpenOptions{false, password, false}, &status);
            if (album && HasPictureHashTable(*album))
                FillPictureHashes(*album, nullptr, [&stop] { return stop.load(); });
        },
        BackgroundJob::Priority::Lowest);
}

} // namespace q32
