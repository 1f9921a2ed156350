#pragma once
// Pictures found by their looks: a 64-bit perceptual hash of every stored picture, kept in a table
// of its own beside Pictures (PictureHashes: ID = the record's row id, Hash), inside the album
// file like everything else. Two pictures that look alike (resized, recompressed, slightly
// cropped or brightened) have hashes a few bits apart; unrelated ones about half the bits apart.
// A Null Hash marks a record whose picture cannot be decoded (a clip, a damaged file), so it is
// not tried again. The add run stores the hash with the thumbnail; a replaced or deleted picture
// drops it; records without one are hashed in the background or when first compared.

#include "album/AlbumCondition.h"
#include "platform/sqlite/SqliteDb.h"

#include <QImage>
#include <QList>
#include <bit>
#include <optional>
#include <vector>

namespace q32 {

class AlbumDb;

// The default largest distance (differing bits) at which two pictures count as alike; the
// benchmark bench/similar measures what it finds and what it wrongly reports.
constexpr int kSimilarDistance = 12;
constexpr int kHashBits = 64;

// The DCT hash of a picture reduced to grey 32x32: one bit per low frequency, set where it is
// above the median of them. Null pictures give nullopt.
std::optional<quint64> PerceptualHash(const QImage& picture);

inline int HashDistance(quint64 a, quint64 b) {
    return std::popcount(a ^ b);
}

struct HashEntry {
    qint64 rowId = 0;
    quint64 hash = 0;
};

struct SimilarMatch {
    qint64 rowId = 0;
    int distance = 0;
};

// The entries within maxDistance of hash, nearest first (ties by row id).
QList<SimilarMatch> NearestHashes(const std::vector<HashEntry>& entries, quint64 hash,
                                  int maxDistance);

// Groups of entries alike: each group is the lowest row id not yet grouped and every other
// ungrouped entry within maxDistance of it, nearest first. Groups of one are left out.
QList<QList<SimilarMatch>> GroupSimilarHashes(const std::vector<HashEntry>& entries,
                                              int maxDistance);

bool HasPictureHashTable(AlbumDb& album);
// Stores rowId's hash (nullopt: the picture cannot be hashed). With pictureBytes >= 0 it is
// stored only while the record still holds a picture of that many bytes.
AlbumStatus StorePictureHash(AlbumDb& album, qint64 rowId, std::optional<quint64> hash,
                             qint64 pictureBytes = -1);
// The stored hash of rowId: nullopt when none was made yet, a null inner value when the picture
// cannot be hashed.
std::optional<std::optional<quint64>> ReadPictureHash(AlbumDb& album, qint64 rowId);
// Every stored hash of a record that still has its picture.
std::vector<HashEntry> ReadPictureHashes(AlbumDb& album, AlbumStatus* status = nullptr);
// Records with a picture and no hash row yet, by row id.
QList<qint64> RecordsWithoutPictureHashes(AlbumDb& album, AlbumStatus* status = nullptr);

namespace engine {
bool isPictureHashTable(const QString& name, const QString& simplifiedSql);
sqlite::Error createPictureHashTable(sqlite::Database& db, const QString& schema);
// Adds the table to an album made before it existed (writable connections only).
void addMissingPictureHashTable(sqlite::Database& db);
// Forgets a record's hash (the record is deleted, or its picture replaced).
sqlite::Error dropPictureHash(sqlite::Database& db, qint64 rowId);
} // namespace engine

} // namespace q32
