#include "shell/PictureHashFiller.h"

#include "album/AlbumDb.h"
#include "album/add/SimilarPictures.h"

#include <sys/resource.h>
#include <unistd.h>

namespace q32 {

PictureHashFiller::PictureHashFiller(const QString& path, const QString& password) {
    m_thread = std::thread([this, path, password] {
        // Decoding pictures is the work of this thread: it yields to everything else.
        setpriority(PRIO_PROCESS, pid_t(gettid()), 19);
        AlbumStatus status;
        auto album = AlbumDb::open(path, OpenOptions{false, password, false}, &status);
        if (album && HasPictureHashTable(*album))
            FillPictureHashes(*album, nullptr, [this] { return m_stop.load(); });
        m_finished = true;
    });
}

PictureHashFiller::~PictureHashFiller() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace q32
