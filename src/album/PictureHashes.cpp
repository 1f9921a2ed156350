#include "album/PictureHashes.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace q32 {
namespace {

constexpr int kSide = 32;       // the grey picture the hash is made from
constexpr int kFrequencies = 8; // per direction, after the average (frequency 0)

const char* const kHashTable = "CREATE TABLE PictureHashes (ID INTEGER PRIMARY KEY, Hash INTEGER)";

// cos((2x + 1) u pi / 64) for the frequencies 1..8 the hash uses.
const std::array<std::array<double, kSide>, kFrequencies>& cosines() {
    static const auto table = [] {
        std::array<std::array<double, kSide>, kFrequencies> t{};
        for (int u = 0; u < kFrequencies; ++u)
            for (int x = 0; x < kSide; ++x)
                t[size_t(u)][size_t(x)] =
                    std::cos((2 * x + 1) * (u + 1) * std::numbers::pi / (2 * kSide));
        return t;
    }();
    return table;
}

} // namespace

std::optional<quint64> PerceptualHash(const QImage& picture) {
    if (picture.isNull())
        return std::nullopt;
    // Transparent parts count as white, as the thumbnail shows them.
    QImage flat = picture.hasAlphaChannel()
                      ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                      : picture;
    if (flat.hasAlphaChannel()) {
        QImage white(flat.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        for (int y = 0; y < flat.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
            auto* out = reinterpret_cast<QRgb*>(white.scanLine(y));
            for (int x = 0; x < flat.width(); ++x) {
                const int a = qAlpha(in[x]);
                out[x] =
                    qRgb(qRed(in[x]) + 255 - a, qGreen(in[x]) + 255 - a, qBlue(in[x]) + 255 - a);
            }
        }
        flat = white;
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8)
                            .scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (grey.width() != kSide || grey.height() != kSide)
        return std::nullopt;
    const auto& c = cosines();
    // Rows first, then columns, keeping only the low frequencies.
    std::array<std::array<double, kFrequencies>, kSide> rows{};
    for (int y = 0; y < kSide; ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int u = 0; u < kFrequencies; ++u) {
            double sum = 0;
            for (int x = 0; x < kSide; ++x)
                sum += line[x] * c[size_t(u)][size_t(x)];
            rows[size_t(y)][size_t(u)] = sum;
        }
    }
    std::array<double, kFrequencies * kFrequencies> coefficients{};
    for (int v = 0; v < kFrequencies; ++v)
        for (int u = 0; u < kFrequencies; ++u) {
            double sum = 0;
            for (int y = 0; y < kSide; ++y)
                sum += rows[size_t(y)][size_t(u)] * c[size_t(v)][size_t(y)];
            coefficients[size_t(v * kFrequencies + u)] = sum;
        }
    std::array<double, kFrequencies* kFrequencies> sorted = coefficients;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    quint64 hash = 0;
    for (size_t i = 0; i < coefficients.size(); ++i)
        if (coefficients[i] > median)
            hash |= quint64(1) << i;
    return hash;
}

QList<SimilarMatch> NearestHashes(const std::vector<HashEntry>& entries, quint64 hash,
                                  int maxDistance) {
    QList<SimilarMatch> found;
    for (const HashEntry& entry : entries)
        if (const int d = HashDistance(entry.hash, hash); d <= maxDistance)
            found.append({entry.rowId, d});
    std::sort(found.begin(), found.end(), [](const SimilarMatch& a, const SimilarMatch& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.rowId < b.rowId;
    });
    return found;
}

QList<QList<SimilarMatch>> GroupSimilarHashes(const std::vector<HashEntry>& entries,
                                              int maxDistance) {
    std::vector<HashEntry> byRow = entries;
    std::sort(byRow.begin(), byRow.end(),
              [](const HashEntry& a, const HashEntry& b) { return a.rowId < b.rowId; });
    std::vector<bool> grouped(byRow.size(), false);
    QList<QList<SimilarMatch>> groups;
    for (size_t first = 0; first < byRow.size(); ++first) {
        if (grouped[first])
            continue;
        QList<SimilarMatch> group;
        for (size_t other = first + 1; other < byRow.size(); ++other) {
            const int d = HashDistance(byRow[first].hash, byRow[other].hash);
            if (!grouped[other] && d <= maxDistance) {
                group.append({byRow[other].rowId, d});
                grouped[other] = true;
            }
        }
        if (group.isEmpty())
            continue;
        std::stable_sort(
            group.begin(), group.end(),
            [](const SimilarMatch& a, const SimilarMatch& b) { return a.distance < b.distance; });
        group.prepend({byRow[first].rowId, 0});
        groups.append(group);
    }
    return groups;
}

namespace engine {

bool isPictureHashTable(const QString& name, const QString& simplifiedSql) {
    return name == u"PictureHashes" && simplifiedSql == QLatin1String(kHashTable);
}

sqlite::Error createPictureHashTable(sqlite::Database& db, const QString& schema) {
    QString sql = QLatin1String(kHashTable);
    return db.exec(sql.replace(QStringLiteral("TABLE "), QStringLiteral("TABLE %1.").arg(schema)));
}

void addMissingPictureHashTable(sqlite::Database& db) {
    // Busy or a full disk: the album works without it and gets it at another open.
    if (!engine::hasTable(db, QStringLiteral("PictureHashes")))
        createPictureHashTable(db, QStringLiteral("main"));
}

sqlite::Error dropPictureHash(sqlite::Database& db, qint64 rowId) {
    if (!engine::hasTable(db, QStringLiteral("PictureHashes")))
        return {};
    sqlite::Error e;
    sqlite::Statement st = db.prepare(QStringLiteral("DELETE FROM PictureHashes WHERE ID = ?"), &e);
    if (!e.ok())
        return e;
    st.bind(1, rowId);
    return st.run();
}

} // namespace engine

bool HasPictureHashTable(AlbumDb& album) {
    return engine::hasTable(album.connection(), QStringLiteral("PictureHashes"));
}

AlbumStatus StorePictureHash(AlbumDb& album, qint64 rowId, std::optional<quint64> hash,
                             qint64 pictureBytes) {
    sqlite::Error e;
    // The row must still be there (and hold the same picture, when asked): a hash made from a
    // picture replaced or deleted meanwhile is not kept.
    const QString sql =
        QStringLiteral("INSERT OR REPLACE INTO PictureHashes (ID, Hash) SELECT ?1, ?2 FROM "
                       "Pictures WHERE rowid = ?1") +
        (pictureBytes >= 0 ? QStringLiteral(" AND length(Image) = ?3") : QString());
    sqlite::Statement st = album.connection().prepare(sql, &e, true);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bind(1, rowId);
    if (hash)
        st.bind(2, qint64(*hash));
    else
        st.bindNull(2);
    if (pictureBytes >= 0)
        st.bind(3, pictureBytes);
    return engine::fromSqlite(st.run());
}

std::optional<std::optional<quint64>> ReadPictureHash(AlbumDb& album, qint64 rowId) {
    sqlite::Statement st =
        album.connection().prepare(QStringLiteral("SELECT Hash FROM PictureHashes WHERE ID = ?"));
    if (!st.isValid())
        return std::nullopt;
    st.bind(1, rowId);
    if (st.step() != SQLITE_ROW)
        return std::nullopt;
    if (sqlite3_column_type(st.handle(), 0) == SQLITE_NULL)
        return std::optional<quint64>();
    return std::optional<quint64>(quint64(st.int64(0)));
}

std::vector<HashEntry> ReadPictureHashes(AlbumDb& album, AlbumStatus* status) {
    std::vector<HashEntry> entries;
    if (status)
        *status = {};
    if (!HasPictureHashTable(album))
        return entries;
    sqlite::Error e;
    // A hash left by a row deleted outside this program names no record.
    sqlite::Statement st = album.connection().prepare(
        QStringLiteral("SELECT h.ID, h.Hash FROM PictureHashes h JOIN Pictures p ON p.rowid = "
                       "h.ID WHERE h.Hash IS NOT NULL AND p.Image IS NOT NULL ORDER BY h.ID"),
        &e);
    int rc = SQLITE_DONE;
    while (e.ok() && (rc = st.step()) == SQLITE_ROW)
        entries.push_back({st.int64(0), quint64(st.int64(1))});
    if (e.ok() && rc != SQLITE_DONE)
        e = album.connection().lastError();
    if (status)
        *status = engine::fromSqlite(e);
    return entries;
}

QList<qint64> RecordsWithoutPictureHashes(AlbumDb& album, AlbumStatus* status) {
    // Only the rows left are asked whether they have a picture: testing Image in one query would
    // read every row of the table.
    sqlite::Database& db = album.connection();
    sqlite::Error e;
    const QList<qint64> candidates =
        engine::rowsWithout(db, QStringLiteral("PictureHashes"), {}, &e).value_or(QList<qint64>());
    QList<qint64> ids;
    int rc = SQLITE_DONE;
    sqlite::Statement withPicture =
        e.ok() ? db.prepare(
                     QStringLiteral("SELECT 1 FROM Pictures WHERE rowid = ? AND Image IS NOT NULL"),
                     &e)
               : sqlite::Statement();
    for (qsizetype i = 0; e.ok() && rc == SQLITE_DONE && i < candidates.size(); ++i) {
        withPicture.bind(1, candidates[i]);
        rc = withPicture.step();
        if (rc == SQLITE_ROW) {
            ids << candidates[i];
            rc = SQLITE_DONE;
        }
        withPicture.reset();
    }
    if (e.ok() && rc != SQLITE_DONE)
        e = db.lastError();
    if (status)
        *status = engine::fromSqlite(e);
    return ids;
}

} // namespace q32
