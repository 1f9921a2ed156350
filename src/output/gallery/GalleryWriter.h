#pragma once
// Writes a web gallery of the records of one query: the site is built in a hidden folder beside
// the target and moved into place only when complete, so a cancelled or failed export leaves the
// target as it was. Headless; runs on the caller's thread (GalleryJob runs it on a worker).

#include "album/AlbumDb.h"
#include "album/AlbumQuery.h"
#include "output/gallery/GalleryOptions.h"

#include <QString>

namespace q32 {

class PromptService;

// Told of each record as it is written, and asked between two records whether to stop.
class GalleryListener {
public:
    virtual ~GalleryListener() = default;
    virtual void progress(qint64 done, qint64 total, const QString& fileName) {
        (void)done, (void)total, (void)fileName;
    }
    virtual bool stopRequested() { return false; }
};

struct GalleryResult {
    enum class Outcome { Written, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    QString problem;       // why it failed, in words
    qint64 records = 0;    // records written
    qint64 unreadable = 0; // pictures that could not be decoded: shown as their stored file
};

// A protected album's pictures would leave it as ordinary files: asks first. True when the album
// is not protected or the answer is Yes.
bool ConfirmGalleryOfProtectedAlbum(PromptService& prompts, const AlbumDb& album);

GalleryResult WriteGallery(AlbumDb& album, const AlbumQuery& query, const GalleryOptions& options,
                           GalleryListener& listener);

} // namespace q32
