#include "album/SimilarPictures.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"
#include "album/ThumbnailMaker.h"

#include <QElapsedTimer>

namespace q32 {
namespace {

// Larger pictures are not read whole to be hashed; they stay unhashed.
constexpr qint64 kLargestPicture = qint64(256) << 20;
// A fill holds the write lock this long at most before letting others in.
constexpr int kCommitEveryMs = 250;

std::optional<quint64> hashStoredPicture(AlbumDb& album, qint64 rowId, AlbumStatus& status) {
    const auto record = album.record(rowId, &status);
    if (!record)
        return std::nullopt;
    const qint64 size = album.fieldSize(rowId, PictureField::Image, &status);
    if (!status.ok() || size <= 0 || size > kLargestPicture)
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
    qsizetype next = 0;
    while (next < missing.size()) {
        sqlite::Transaction tx(album.connection());
        if (!tx.beginError().ok())
            return engine::fromSqlite(tx.beginError());
        QElapsedTimer age;
        age.start();
        qint64 inGroup = 0;
        for (; next < missing.size() && age.elapsed() < kCommitEveryMs; ++next) {
            if (stop && stop())
                break;
            const std::optional<quint64> hash = hashStoredPicture(album, missing[next], s);
            // A record deleted meanwhile is simply passed over.
            if (s.condition == AlbumCondition::NoCurrentRecord)
                s = {};
            if (s.ok())
                s = StorePictureHash(album, missing[next], hash);
            if (!s.ok())
                return s;
            ++inGroup;
        }
        if (const sqlite::Error e = tx.commit(); !e.ok())
            return engine::fromSqlite(e);
        if (made)
            *made += inGroup;
        if (stop && stop())
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
