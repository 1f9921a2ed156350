#include "album/add/SimilarPictures.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"
#include "album/add/ThumbnailMaker.h"

#include <QElapsedTimer>

namespace q32 {
namespace {

// Larger pictures are not read whole to be hashed; they stay unhashed.
constexpr qint64 kLargestPicture = qint64(256) << 20;
// A fill holds the write lock this long at most before letting others in.
constexpr int kCommitEveryMs = 250;

// The hash of a record's stored picture; size receives the picture's size in bytes.
std::optional<quint64> hashStoredPicture(AlbumDb& album, qint64 rowId, AlbumStatus& status,
                                         qint64* size = nullptr) {
    const auto record = album.record(rowId, &status);
    if (!record)
        return std::nullopt;
    const qint64 bytesStored = album.fieldSize(rowId, PictureField::Image, &status);
    if (size)
        *size = bytesStored;
    if (!status.ok() || bytesStored <= 0 || bytesStored > kLargestPicture)
        return std::nullopt;
    const QByteArray bytes = album.readBytes(rowId, PictureField::Image, &status);
    return status.ok() ? PictureHashFromBytes(bytes, record->imageFormat) : std::nullopt;
}

} // namespace

AlbumStatus FillPictureHashes(AlbumDb& album, qint64* made, const std::function<bool()>& stop) {
    if (made)
        *made = 0;
    if (album.isReadOnly() || !HasPictureHashTable(album))
        return {AlbumCondition::CannotWrite, album.path()};
    AlbumStatus s;
    const QList<qint64> missing = RecordsWithoutPictureHashes(album, &s);
    if (!s.ok())
        return s;
    struct Made {
        qint64 rowId;
        std::optional<quint64> hash;
        qint64 pictureBytes;
    };
    qsizetype next = 0;
    while (next < missing.size()) {
        // Pictures are decoded outside any transaction; the hashes of a quarter second's work
        // are then written in one short one, so the album is locked for the writing only.
        QList<Made> group;
        QElapsedTimer age;
        age.start();
        bool stopped = false;
        for (; next < missing.size() && age.elapsed() < kCommitEveryMs; ++next) {
            if (stop && stop()) {
                stopped = true;
                break;
            }
            Made m{missing[next], std::nullopt, -1};
            m.hash = hashStoredPicture(album, m.rowId, s, &m.pictureBytes);
            // A record deleted meanwhile is simply passed over.
            if (s.condition == AlbumCondition::NoCurrentRecord) {
                s = {};
                continue;
            }
            if (!s.ok())
                return s;
            group << m;
        }
        if (!group.isEmpty()) {
            sqlite::Transaction tx(album.connection());
            if (!tx.beginError().ok())
                return engine::fromSqlite(tx.beginError());
            for (const Made& m : std::as_const(group)) {
                // Kept only while the record holds the picture it was made from.
                s = StorePictureHash(album, m.rowId, m.hash, std::max<qint64>(m.pictureBytes, 0));
                if (!s.ok())
                    return s;
            }
            if (const sqlite::Error e = tx.commit(); !e.ok())
                return engine::fromSqlite(e);
            if (made)
                *made += group.size();
        }
        if (stopped)
            return {AlbumCondition::Cancelled, {}};
    }
    return {};
}

std::vector<HashEntry> AllPictureHashes(AlbumDb& album, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (!album.isReadOnly() && HasPictureHashTable(album)) {
        s = FillPictureHashes(album);
        if (!s.ok())
            return {};
        return ReadPictureHashes(album, &s);
    }
    std::vector<HashEntry> entries = ReadPictureHashes(album, &s);
    const QList<qint64> missing = s.ok() ? RecordsWithoutPictureHashes(album, &s) : QList<qint64>();
    for (const qint64 rowId : missing) {
        if (!s.ok())
            return {};
        if (const std::optional<quint64> hash = hashStoredPicture(album, rowId, s))
            entries.push_back({rowId, *hash});
    }
    std::sort(entries.begin(), entries.end(),
              [](const HashEntry& a, const HashEntry& b) { return a.rowId < b.rowId; });
    return s.ok() ? entries : std::vector<HashEntry>();
}

QList<SimilarMatch> FindSimilarRecords(AlbumDb& album, qint64 rowId, int maxDistance,
                                       AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    const std::vector<HashEntry> entries = AllPictureHashes(album, &s);
    if (!s.ok())
        return {};
    const auto own = std::find_if(entries.begin(), entries.end(),
                                  [rowId](const HashEntry& e) { return e.rowId == rowId; });
    if (own == entries.end())
        return {};
    QList<SimilarMatch> found = NearestHashes(entries, own->hash, maxDistance);
    // The record itself leads, even before another of the same looks.
    found.removeIf([rowId](const SimilarMatch& m) { return m.rowId == rowId; });
    found.prepend({rowId, 0});
    return found;
}

} // namespace q32
