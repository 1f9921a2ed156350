#pragma once
// Gives the records of an open album that lack a picture hash one, in the background at the
// lowest priority over a connection of its own, a few records per transaction so the window's
// writes wait at most a moment. Destroyed, it stops after the picture in hand and closes its
// connection before the album can be replaced.

#include "platform/jobs/BackgroundJob.h"

#include <QString>

namespace q32 {

class PictureHashFiller {
public:
    PictureHashFiller(const QString& path, const QString& password);
    PictureHashFiller(const PictureHashFiller&) = delete;
    PictureHashFiller& operator=(const PictureHashFiller&) = delete;

    // True once every record is hashed, or nothing could be done.
    bool finished() const { return !m_job.isRunning(); }

private:
    BackgroundJob m_job;
};

} // namespace q32
