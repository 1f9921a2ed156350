#pragma once
// Records whose pictures look alike, by their perceptual hashes (see PictureHashes.h). Records
// without a hash are hashed on the way, from the same small picture the thumbnail is made of;
// the hashes are kept when the album is writable.

#include "album/PictureHashes.h"

#include <functional>

namespace q32 {

// Hashes the pictures of every record that has none yet, committing a few at a time so that
// other writers wait at most a moment; stop is asked between records. made, when given,
// receives the number of records hashed. CannotWrite for an album opened read-only.
AlbumStatus FillPictureHashes(AlbumDb& album, qint64* made = nullptr,
                              const std::function<bool()>& stop = {});

// Every record's hash, those missing made now (and kept when the album is writable). Records
// whose picture cannot be hashed are left out.
std::vector<HashEntry> AllPictureHashes(AlbumDb& album, AlbumStatus* status = nullptr);

// The records within maxDistance of rowId's picture, nearest first, rowId itself first of all.
// Empty when rowId's picture cannot be hashed (a clip, a sound, no picture).
QList<SimilarMatch> FindSimilarRecords(AlbumDb& album, qint64 rowId, int maxDistance,
                                       AlbumStatus* status = nullptr);

} // namespace q32
