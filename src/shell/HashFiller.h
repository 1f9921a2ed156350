#pragma once
// Gives the records of an open album that lack a hash one, in the background at the lowest
// priority over a connection of its own, committing every moment so the window's writes wait at
// most that long. What it made is kept as it goes: a run stopped or killed is taken up by the next
// one. Destroyed, it stops after the record in hand and closes its connection before the album can
// be replaced.

#include "platform/jobs/BackgroundJob.h"

#include <QString>

namespace q32 {

class HashFiller {
public:
    enum class Kind {
        Content, // the SHA-256 of the stored bytes, for finding copies (ContentHashes.h)
        Picture, // the perceptual hash, for finding pictures that look alike (PictureHashes.h)
    };
    HashFiller(Kind kind, const QString& path, const QString& password);
    HashFiller(const HashFiller&) = delete;
    HashFiller& operator=(const HashFiller&) = delete;

private:
    BackgroundJob m_job;
};

} // namespace q32
