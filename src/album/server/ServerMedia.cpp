// The binary fields of a server album: stored as numbered pieces of PieceSize bytes in
// PicturePieces, written and read one piece at a time so that neither side holds a field whole.

#include "album/ContentHashes.h"
#include "album/server/ServerAlbum.h"
#include "album/server/ServerSchema.h"

#include <QFile>
#include <QStringList>

namespace q32 {

using server::fromPg;

namespace {

QString sizeColumn(PictureField field) {
    return pg::quotedIdentifier(QLatin1String(PictureFieldName(field)) + QStringLiteral("Size"));
}

AlbumStatus notBinary(PictureField field) {
    return {AlbumCondition::Unexpected,
            QStringLiteral("%1 is not a binary field").arg(QLatin1String(PictureFieldName(field)))};
}

} // namespace

class ServerAlbum::PieceReader : public FieldReader {
public:
    PieceReader(ServerAlbum& album, qint64 rowId, PictureField field, qint64 size)
        : m_album(album), m_rowId(rowId), m_field(field), m_size(size) {}

    qint64 size() const override { return m_size; }

    AlbumStatus next(QByteArray& piece) override {
        piece.clear();
        if (m_read >= m_size)
            return {};
        const AlbumStatus s = m_album.readPiece(m_rowId, m_field, m_part, piece);
        if (!s.ok())
            return s;
        // A field replaced while it is read has other pieces, or fewer of them.
        if (piece.isEmpty() || m_read + piece.size() > m_size)
            return {AlbumCondition::NoCurrentRecord,
                    QStringLiteral("%1 of record %2 changed while it was read")
                        .arg(QLatin1String(PictureFieldName(m_field)))
                        .arg(m_rowId)};
        m_read += piece.size();
        ++m_part;
        return {};
    }

private:
    ServerAlbum& m_album;
    const qint64 m_rowId;
    const PictureField m_field;
    const qint64 m_size;
    qint64 m_read = 0;
    int m_part = 0;
};

AlbumStatus ServerAlbum::readPiece(qint64 rowId, PictureField field, int part, QByteArray& piece) {
    if (AlbumStatus s = checkIdle(); !s.ok())
        return s;
    const pg::Result r =
        m_db.execParams(QStringLiteral("SELECT \"Bytes\" FROM \"PicturePieces\" "
                                       "WHERE \"ID\" = $1 AND \"Field\" = $2 AND \"Part\" = $3"),
                        {int64_t(rowId), int64_t(field), int64_t(part)});
    if (!r.ok())
        return fromPg(r.error());
    piece = r.rows() == 1 ? r.bytes(0, 0) : QByteArray();
    return {};
}

std::unique_ptr<FieldReader> ServerAlbum::readField(qint64 rowId, PictureField field,
                                                    AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (!IsBinaryField(field)) {
        s = notBinary(field);
        return nullptr;
    }
    if (s = checkIdle(); !s.ok())
        return nullptr;
    const pg::Result r = m_db.execParams(
        QStringLiteral("SELECT coalesce(%1, -1) FROM \"Pictures\" WHERE \"ID\" = $1")
            .arg(sizeColumn(field)),
        {int64_t(rowId)});
    if (s = fromPg(r.error()); !s.ok())
        return nullptr;
    if (r.rows() == 0) {
        s = {AlbumCondition::NoCurrentRecord, {}};
        return nullptr;
    }
    return std::make_unique<PieceReader>(*this, rowId, field, r.int64(0, 0));
}

AlbumStatus ServerAlbum::writePieces(qint64 rowId, PictureField field, FieldReader& source,
                                     qint64 expectedSize) {
    const bool picture = field == PictureField::Image;
    if (expectedSize < 0)
        return {};

    // The source's pieces may have any size; they are stored cut to PieceSize.
    ContentHasher hash;
    QByteArray pending;
    qint64 written = 0;
    int part = 0;
    auto store = [&](const QByteArray& bytes) {
        const pg::Result added = m_db.execParams(
            QStringLiteral("INSERT INTO \"PicturePieces\" (\"ID\", \"Field\", \"Part\", \"Bytes\") "
                           "VALUES ($1, $2, $3, $4)"),
            {int64_t(rowId), int64_t(field), int64_t(part++), bytes});
        written += bytes.size();
        return fromPg(added.error());
    };
    for (;;) {
        QByteArray piece;
        if (AlbumStatus s = source.next(piece); !s.ok())
            return s;
        if (piece.isEmpty())
            break;
        if (picture)
            hash.add(piece);
        if (pending.isEmpty() && piece.size() == PieceSize) {
            if (AlbumStatus s = store(piece); !s.ok())
                return s;
            continue;
        }
        pending += piece;
        qsizetype at = 0;
        for (; pending.size() - at >= PieceSize; at += PieceSize)
            if (AlbumStatus s = store(QByteArray::fromRawData(pending.constData() + at, PieceSize));
                !s.ok())
                return s;
        pending.remove(0, at);
    }
    if (!pending.isEmpty())
        if (AlbumStatus s = store(pending); !s.ok())
            return s;
    if (written != expectedSize)
        return {
            AlbumCondition::PathAccess,
            QStringLiteral("%1 bytes were to be stored, %2 came").arg(expectedSize).arg(written)};
    if (picture) {
        const pg::Result r = m_db.execParams(
            QStringLiteral("INSERT INTO \"ContentHashes\" (\"ID\", \"Sha256\") VALUES ($1, $2)"),
            {int64_t(rowId), hash.result()});
        if (!r.ok())
            return fromPg(r.error());
    }
    return {};
}

AlbumStatus ServerAlbum::addRecordFrom(const PictureRecord& fields, FieldReader* image,
                                       qint64* rowId, bool keepRowId) {
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    if (AlbumStatus s = CheckRecordTexts(fields); !s.ok())
        return s;
    pg::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return fromPg(tx.beginError());
    qint64 id = fields.rowId;
    if (!keepRowId) {
        const pg::Result next =
            m_db.execParams(QStringLiteral("SELECT nextval($1::regclass)"), {m_sequence});
        if (!next.ok())
            return fromPg(next.error());
        id = next.int64(0, 0);
    }
    // The row goes first with the picture's size, so a name clash is told before the picture is
    // sent; one insert is one notification to the watchers.
    PictureRecord row = fields;
    row.rowId = id;
    const qint64 imageSize = image ? image->size() : -1;
    pg::Params params = server::rowParams(row);
    if (imageSize < 0)
        params.emplace_back();
    else
        params.emplace_back(int64_t(imageSize));
    const pg::Result added = m_db.execParams(
        QStringLiteral("INSERT INTO \"Pictures\" (\"ID\", \"Date\", \"SoundType\", \"ImageFile\", "
                       "\"ImageFormat\", \"ImageProperties\", \"Keywords\", \"Description\", "
                       "\"NameKey\", \"FormatKey\", \"ImageSize\") "
                       "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11::bigint)"),
        params);
    if (!added.ok())
        return fromPg(added.error());
    if (keepRowId) {
        // Ids handed out later go past the kept one.
        const pg::Result moved =
            m_db.execParams(QStringLiteral("SELECT setval($1::regclass, greatest($2::bigint, "
                                           "coalesce(pg_sequence_last_value($1::regclass), 1)))"),
                            {m_sequence, int64_t(id)});
        if (!moved.ok())
            return fromPg(moved.error());
    }
    if (image)
        if (AlbumStatus s = writePieces(id, PictureField::Image, *image, imageSize); !s.ok())
            return s;
    if (AlbumStatus s = fromPg(tx.commit()); !s.ok())
        return s;
    if (rowId)
        *rowId = id;
    return {};
}

qint64 ServerAlbum::extractToFile(qint64 rowId, PictureField field, const QString& filePath) {
    AlbumStatus s;
    const std::unique_ptr<FieldReader> reader = readField(rowId, field, &s);
    if (!reader)
        return -s.number();
    if (reader->size() <= 0)
        return 0;
    // A link or a read-only file at filePath is replaced, not written through.
    QFile::remove(filePath);
    QFile out(filePath);
    auto failed = [&] {
        return AlbumStatus{AlbumCondition::PathAccess,
                           filePath + QStringLiteral(": ") + out.errorString()};
    };
    if (!out.open(QIODevice::WriteOnly))
        return -failed().number();
    qint64 written = 0;
    for (QByteArray piece; s.ok();) {
        if (s = reader->next(piece); !s.ok() || piece.isEmpty())
            break;
        if (out.write(piece) != piece.size())
            s = failed();
        written += piece.size();
    }
    if (s.ok() && !out.flush())
        s = failed();
    out.close();
    if (!s.ok()) { // no half picture left behind
        out.remove();
        return -s.number();
    }
    return written;
}

AlbumStatus ServerAlbum::addRecord(const PictureRecord& fields, const QString& imagePath,
                                   qint64* rowId, const QByteArray&) {
    if (imagePath.isEmpty())
        return addRecordFrom(fields, nullptr, rowId);
    AlbumStatus opened;
    const std::unique_ptr<FieldReader> image = FileFieldReader(imagePath, &opened);
    return image ? addRecordFrom(fields, image.get(), rowId) : opened;
}

AlbumStatus ServerAlbum::addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                                        qint64* rowId, const QByteArray&) {
    const std::unique_ptr<FieldReader> bytes = BytesFieldReader(image);
    return addRecordFrom(fields, bytes.get(), rowId);
}

AlbumStatus ServerAlbum::storeField(qint64 rowId, PictureField field, FieldReader& source) {
    if (!IsBinaryField(field))
        return notBinary(field);
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    pg::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return fromPg(tx.beginError());
    const qint64 size = source.size();
    const pg::Result r = m_db.execParams(
        QStringLiteral("UPDATE \"Pictures\" SET %1 = $2::bigint, \"Version\" = \"Version\" + 1 "
                       "WHERE \"ID\" = $1")
            .arg(sizeColumn(field)),
        {int64_t(rowId), size < 0 ? pg::Param{} : pg::Param{int64_t(size)}});
    if (!r.ok())
        return fromPg(r.error());
    if (r.affectedRows() != 1)
        return {AlbumCondition::NoCurrentRecord, {}};
    QStringList drops{
        QStringLiteral("DELETE FROM \"PicturePieces\" WHERE \"ID\" = $1 AND \"Field\" = $2")};
    if (field == PictureField::Image) // made from the picture that goes
        drops << QStringLiteral("DELETE FROM \"Thumbnails\" WHERE \"ID\" = $1")
              << QStringLiteral("DELETE FROM \"ContentHashes\" WHERE \"ID\" = $1");
    for (const QString& sql : drops) {
        pg::Params params{int64_t(rowId)};
        if (sql.contains(QLatin1String("$2")))
            params.push_back(int64_t(field));
        if (const pg::Result dropped = m_db.execParams(sql, params); !dropped.ok())
            return fromPg(dropped.error());
    }
    if (AlbumStatus s = writePieces(rowId, field, source, size); !s.ok())
        return s;
    return fromPg(tx.commit());
}

} // namespace q32
