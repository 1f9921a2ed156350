#pragma once
// Copies an album into another, of either engine: every record with its ten fields byte for byte
// under the same row id, and its stored thumbnail. Committed in groups, so an interrupted copy
// keeps whole records only, and running it again goes on from there.

#include "album/AlbumStore.h"

#include <functional>

namespace q32 {

struct CopyProgress {
    qint64 done = 0;  // records in the copy, those of an earlier run included
    qint64 total = 0; // records in the source
};

struct CopyResult {
    AlbumStatus status;
    qint64 copied = 0; // by this run
    qint64 kept = 0;   // already there from an interrupted run
};

// to must be empty or an interrupted copy of from (its every record found in from under the same
// row id and file name): otherwise FileExists. onProgress is called after each group; false
// stops the copy (Cancelled) with the groups committed so far kept.
CopyResult CopyAlbum(AlbumStore& from, AlbumStore& to,
                     const std::function<bool(const CopyProgress&)>& onProgress = {});

} // namespace q32
