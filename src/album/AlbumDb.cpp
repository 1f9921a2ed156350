#include "album/AlbumDb.h"

#include "album/AlbumEngine.h"
#include "album/AlbumFunctions.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumSchema.h"
#include "album/AlbumThumbnails.h"
#include "album/BackgroundFlush.h"
#include "album/ContentHashSchema.h"
#include "album/ContentHashes.h"
#include "album/PictureHashes.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace q32 {

namespace {

// Blobs are read out in pieces of this size.
constexpr int kStreamBuffer = 1 << 20;
// The engine's limit on one value (SQLITE_MAX_LENGTH).
constexpr qint64 kLargestBlob = 1000000000;

void bindTexts(sqlite::Statement& st, const PictureRecord& r) {
    st.bind(1, r.date.isValid() ? r.date.toString(Qt::ISODate) : QString());
    st.bind(2, r.soundType);
    st.bind(3, r.imageFile);
    st.bind(4, r.imageFormat);
    st.bind(5, r.imageProperties);
    st.bind(6, r.keywords);
    st.bind(7, r.description);
}

AlbumStatus ioStatus(int err, const QString& path) {
    if (err == ENOSPC || err == EFBIG || err == EDQUOT)
        return {AlbumCondition::DiskFull, path};
    return {AlbumCondition::PathAccess,
            path + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(err))};
}

// A file's bytes for binding into a statement: mapped when the file system allows it (no copy
// until the engine copies them into its pages), else read whole.
class FileBytes {
public:
    AlbumStatus load(const QString& path) {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly))
            return {AlbumCondition::PathAccess, path};
        const qint64 size = m_file.size();
        if (size > kLargestBlob)
            return {AlbumCondition::FieldTooLong, path};
        if (size == 0)
            return {};
        if (const uchar* mapped = m_file.map(0, size)) {
            m_view = QByteArrayView(mapped, size);
            return {};
        }
        m_copy = m_file.readAll();
        if (m_copy.size() != size)
            return {AlbumCondition::PathAccess,
                    path + QStringLiteral(" changed while being stored")};
        m_view = m_copy;
        return {};
    }
    QByteArrayView bytes() const { return m_view; }

private:
    QFile m_file;
    QByteArray m_copy;
    QByteArrayView m_view;
};

// Binds bytes as a blob, empty ones as an empty blob (not Null); the bytes must outlive the step.
void bindBytes(sqlite::Statement& st, int index, QByteArrayView bytes) {
    if (bytes.isEmpty())
        st.bindZeroBlob(index, 0);
    else
        sqlite3_bind_blob64(st.handle(), index, bytes.data(), sqlite3_uint64(bytes.size()),
                            SQLITE_STATIC);
}

} // namespace

AlbumStatus AlbumDb::create(const QString& path, bool allowDuplicates) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return {AlbumCondition::FileExists, path};
    // The album is made complete under a name of its own and then linked into place, so a
    // process killed while creating never leaves a half-made album at path. link() fails when
    // anything is at path: the exists check and the creation are one step.
    const QString temp = path + QStringLiteral(".q32create-%1").arg(::getpid());
    const int fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return ioStatus(errno, path);
    ::close(fd);
    sqlite::Database db;
    AlbumStatus status = engine::fromSqlite(db.open(temp, SQLITE_OPEN_READWRITE));
    if (status.ok()) {
        db.exec(QStringLiteral("PRAGMA page_size = %1").arg(PageSize));
        engine::registerFunctions(db);
        engine::configure(db);
        sqlite::Transaction tx(db);
        status = engine::fromSqlite(tx.beginError());
        if (status.ok())
            status = engine::createSchema(db, QStringLiteral("main"), !allowDuplicates);
        if (status.ok())
            status = engine::fromSqlite(tx.commit());
    }
    db.close();
    if (status.ok() &&
        ::link(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        status =
            errno == EEXIST ? AlbumStatus{AlbumCondition::FileExists, path} : ioStatus(errno, path);
    QFile::remove(temp);
    if (status.ok())
        engine::atomicReplace(path, path); // flushes the folder, so the new name survives a crash
    return status;
}

AlbumStatus AlbumDb::openChecked(int flags, const QString& password) {
    engine::CipherFormat format = engine::CipherFormat::Plain;
    AlbumStatus st = engine::openKeyed(m_path, flags, password, m_db, &format);
    if (!st.ok())
        return st;
    m_cipher = format == engine::CipherFormat::Plain     ? Cipher::None
               : format == engine::CipherFormat::Current ? Cipher::Current
                                                         : Cipher::Version3;
    engine::SchemaState schema;
    st = engine::verifyAlbum(m_db, &schema);
    m_unique = schema.unique;
    m_indexes = schema.indexes;
    m_keysCurrent = schema.keysCurrent;
    m_contentHashes = schema.contentHashes;
    return st;
}

std::unique_ptr<AlbumDb> AlbumDb::open(const QString& path, const OpenOptions& options,
                                       AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& st = status ? *status : dummy;
    std::unique_ptr<AlbumDb> album(new AlbumDb);
    album->m_path = path;
    album->m_readOnly = options.readOnly;
    const QString journal = path + QStringLiteral("-journal");

    // The check runs on a read-only connection, so a file that is not an album is never
    // written to.
    st = album->openChecked(SQLITE_OPEN_READONLY, options.password);
    if (st.condition == AlbumCondition::CannotWrite && QFileInfo::exists(journal)) {
        // Except to roll back the journal of a writer that died mid-transaction (killed, or its
        // disk filled), which only a writable connection may do, for readers too: that brings
        // back what was last committed, as any program using the engine would.
        engine::CipherFormat format;
        st = engine::openKeyed(path, SQLITE_OPEN_READWRITE, options.password, album->m_db, &format);
        album->m_db.close();
        if (st.ok())
            st = album->openChecked(SQLITE_OPEN_READONLY, options.password);
    }
    if (st.ok() && !options.readOnly) {
        st = album->checkWritable();
        if (st.ok() && album->m_cipher == Cipher::Version3 && options.migrate) {
            // Converted in place, by a complete copy renamed over it. When that cannot be done
            // now (a full disk), the album is used as it is and converted another time.
            album->m_db.close();
            MigrateToCurrentCipher(path, options.password);
        }
        if (st.ok()) {
            album->m_db.close();
            st = album->openChecked(SQLITE_OPEN_READWRITE, options.password);
            if (st.ok() && album->m_db.isReadOnly())
                st = {AlbumCondition::CannotWrite, path};
        }
    }
    if (!st.ok())
        return nullptr;
    engine::configure(album->m_db);
    if (!options.readOnly && QFileInfo::exists(journal)) {
        // A writer killed before its journal held anything leaves an empty one that the engine
        // ignores. With the write lock held (and any hot journal rolled back) it is ours to drop.
        sqlite::Transaction tx(album->m_db);
        if (tx.beginError().ok() &&
            album->m_db.exec(QStringLiteral("SELECT count(*) FROM Pictures")).ok())
            QFile::remove(journal);
        tx.commit();
    }
    if (!options.readOnly) {
        // An album made by an earlier build gets the order indexes, in one transaction that
        // leaves the rows as they are. When that cannot be done now (busy, full disk) the orders
        // sort the table instead.
        engine::SchemaState schema{album->m_unique, album->m_indexes, album->m_keysCurrent};
        engine::completeSchema(album->m_db, schema);
        engine::addMissingThumbnailTable(album->m_db);
        engine::addMissingPictureHashTable(album->m_db);
        album->m_indexes = schema.indexes;
        album->m_keysCurrent = schema.keysCurrent;
        // The hashes of its pictures are made when first needed (see ContentHashes.h).
        if (options.addContentHashes)
            album->m_contentHashes =
                engine::completeContentHashes(album->m_db, album->m_contentHashes);
    }
    return album;
}

AlbumDb::~AlbumDb() = default;

void AlbumDb::flushInBackground() {
    if (m_readOnly)
        return;
    if (!m_flush)
        m_flush = std::make_unique<BackgroundFlush>(m_path);
    m_flush->request();
}

std::pair<qint64, qint64> AlbumDb::changeStamp() {
    // data_version moves when another connection commits; total_changes counts our own rows.
    sqlite::Statement st = m_db.prepare(QStringLiteral("PRAGMA data_version"));
    const qint64 version = st.isValid() && st.step() == SQLITE_ROW ? st.int64(0) : -1;
    return {version, sqlite3_total_changes(m_db.handle())};
}

AlbumStatus AlbumDb::checkWritable() const {
    const QFileInfo info(m_path);
    // The journal is created beside the album, so its folder must be writable too.
    if (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable() ||
        ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
        return {AlbumCondition::CannotWrite, m_path};
    return {};
}

qint64 AlbumDb::rowCount(AlbumStatus* status) {
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("SELECT count(*) FROM Pictures"), &e);
    qint64 count = -1;
    if (e.ok()) {
        if (st.step() == SQLITE_ROW)
            count = st.int64(0);
        else
            e = m_db.lastError();
    }
    if (status)
        *status = engine::fromSqlite(e);
    return count;
}

std::optional<PictureRecord> AlbumDb::record(qint64 rowId, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    sqlite::Error e;
    // length() of a blob reads only the row's header, never the blob itself.
    sqlite::Statement st = m_db.prepare(
        QStringLiteral("SELECT Date, SoundType, ImageFile, ImageFormat, ImageProperties, "
                       "Keywords, Description, length(SoundFile) FROM Pictures WHERE rowid = ?"),
        &e);
    if (!e.ok()) {
        s = engine::fromSqlite(e);
        return std::nullopt;
    }
    st.bind(1, rowId);
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        s = rc == SQLITE_DONE ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}}
                              : engine::fromSqlite(m_db.lastError());
        return std::nullopt;
    }
    PictureRecord r;
    r.rowId = rowId;
    r.date = QDate::fromString(st.text(0), Qt::ISODate);
    r.soundType = st.text(1);
    r.imageFile = st.text(2);
    r.imageFormat = st.text(3);
    r.imageProperties = st.text(4);
    r.keywords = st.text(5);
    r.description = st.text(6);
    r.soundSize = st.int64(7);
    s = {};
    return r;
}

AlbumStatus AlbumDb::addRecord(const PictureRecord& fields, const QString& imagePath, qint64* rowId,
                               const QByteArray& sha256) {
    if (imagePath.isEmpty())
        return insertRow(fields, std::nullopt, rowId, {});
    FileBytes file;
    const AlbumStatus s = file.load(imagePath);
    return s.ok() ? insertRow(fields, file.bytes(), rowId, sha256) : s;
}

AlbumStatus AlbumDb::addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                                    qint64* rowId, const QByteArray& sha256) {
    return insertRow(fields, image, rowId, sha256);
}

AlbumStatus AlbumDb::insertRow(const PictureRecord& fields, std::optional<QByteArrayView> image,
                               qint64* rowId, const QByteArray& sha256, bool keepRowId) {
    AlbumStatus s = CheckRecordTexts(fields);
    if (!s.ok())
        return s;
    if (image && image->size() > kLargestBlob)
        return {AlbumCondition::FieldTooLong, fields.imageFile};
    // The picture is bound whole: the engine copies it into its pages as the row is written.
    // (Its incremental blob writes are refused on a table with an index on an expression, which
    // the name and format orders use.) Kept prepared, so its buffers serve the next row too.
    if (!m_insert.isValid()) {
        sqlite::Error e;
        m_insert = m_db.prepare(
            QStringLiteral("INSERT INTO Pictures (Date, SoundType, ImageFile, ImageFormat, "
                           "ImageProperties, Keywords, Description, Image) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            &e, true);
        if (!e.ok())
            return engine::fromSqlite(e);
    }
    // The row and its hash go in together (a savepoint inside the add run's group).
    std::optional<sqlite::Transaction> tx;
    if (image && m_contentHashes && !sha256.isEmpty()) {
        tx.emplace(m_db);
        if (!tx->beginError().ok())
            return engine::fromSqlite(tx->beginError());
    }
    // A copy keeps its source's row ids: a statement of its own, not the add run's.
    sqlite::Statement withId;
    if (keepRowId) {
        sqlite::Error e;
        withId = m_db.prepare(
            QStringLiteral("INSERT INTO Pictures (Date, SoundType, ImageFile, ImageFormat, "
                           "ImageProperties, Keywords, Description, Image, rowid) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            &e);
        if (!e.ok())
            return engine::fromSqlite(e);
        withId.bind(9, fields.rowId);
    }
    sqlite::Statement& insert = keepRowId ? withId : m_insert;
    bindTexts(insert, fields);
    if (image)
        bindBytes(insert, 8, *image);
    else
        insert.bindNull(8);
    sqlite::Error e = insert.run();
    insert.reset();
    if (!e.ok())
        return engine::fromSqlite(e);
    const qint64 id = m_db.lastInsertRowId();
    if (tx) {
        e = engine::storeContentHash(m_db, id, sha256);
        if (e.ok())
            e = tx->commit();
        if (!e.ok())
            return engine::fromSqlite(e);
    }
    if (rowId)
        *rowId = id;
    return {};
}

AlbumStatus AlbumDb::runOnRow(sqlite::Statement& statement) {
    const sqlite::Error e = statement.run();
    if (!e.ok())
        return engine::fromSqlite(e);
    // The statement names one row by its id: no change means there was no such row.
    return m_db.changes() == 0 ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}} : AlbumStatus{};
}

AlbumStatus AlbumDb::updateRecord(const PictureRecord& fields) {
    AlbumStatus s = CheckRecordTexts(fields);
    if (!s.ok())
        return s;
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(
        QStringLiteral("UPDATE Pictures SET Date = ?, SoundType = ?, ImageFile = ?, "
                       "ImageFormat = ?, ImageProperties = ?, Keywords = ?, Description = ? "
                       "WHERE rowid = ?"),
        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    bindTexts(st, fields);
    st.bind(8, fields.rowId);
    return runOnRow(st);
}

AlbumStatus AlbumDb::deleteRecord(qint64 rowId) {
    // The record and its thumbnail go together; a thumbnail being made meanwhile on another
    // connection is stored only while the record is there.
    sqlite::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return engine::fromSqlite(tx.beginError());
    sqlite::Error e = engine::dropThumbnail(m_db, rowId);
    if (e.ok())
        e = engine::dropPictureHash(m_db, rowId);
    if (!e.ok())
        return engine::fromSqlite(e);
    sqlite::Statement st = m_db.prepare(QStringLiteral("DELETE FROM Pictures WHERE rowid = ?"), &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bind(1, rowId);
    AlbumStatus s = runOnRow(st);
    if (s.ok() && m_contentHashes)
        s = engine::fromSqlite(engine::dropContentHash(m_db, rowId));
    return s.ok() ? engine::fromSqlite(tx.commit()) : s;
}

qint64 AlbumDb::fieldSize(qint64 rowId, PictureField field, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    sqlite::Error e;
    sqlite::Statement st =
        m_db.prepare(QStringLiteral("SELECT length(%1) FROM Pictures WHERE rowid = ?")
                         .arg(QLatin1String(PictureFieldName(field))),
                     &e);
    if (!e.ok()) {
        s = engine::fromSqlite(e);
        return -1;
    }
    st.bind(1, rowId);
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        s = rc == SQLITE_DONE ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}}
                              : engine::fromSqlite(m_db.lastError());
        return -1;
    }
    s = {};
    return st.int64(0);
}

AlbumStatus AlbumDb::storeFile(qint64 rowId, PictureField field, const QString& filePath) {
    if (!IsBinaryField(field))
        return {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
    FileBytes file;
    const AlbumStatus s = file.load(filePath);
    return s.ok() ? replaceField(rowId, field, file.bytes(), false) : s;
}

AlbumStatus AlbumDb::storeBytes(qint64 rowId, PictureField field, const QByteArray& bytes) {
    if (!IsBinaryField(field))
        return {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
    return replaceField(rowId, field, bytes, bytes.isNull());
}

AlbumStatus AlbumDb::replaceField(qint64 rowId, PictureField field, QByteArrayView bytes,
                                  bool null) {
    // A new picture drops the old one's thumbnail and picture hash (made again when needed) in the
    // same transaction.
    const bool picture = field == PictureField::Image;
    const bool hashed = picture && m_contentHashes;
    std::optional<sqlite::Transaction> tx;
    if (picture) {
        tx.emplace(m_db);
        if (!tx->beginError().ok())
            return engine::fromSqlite(tx->beginError());
    }
    sqlite::Error e = picture ? engine::dropThumbnail(m_db, rowId) : sqlite::Error{};
    if (e.ok() && picture)
        e = engine::dropPictureHash(m_db, rowId);
    if (!e.ok())
        return engine::fromSqlite(e);
    sqlite::Statement st = m_db.prepare(QStringLiteral("UPDATE Pictures SET %1 = ? WHERE rowid = ?")
                                            .arg(QLatin1String(PictureFieldName(field))),
                                        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    if (null)
        st.bindNull(1);
    else
        bindBytes(st, 1, bytes);
    st.bind(2, rowId);
    const AlbumStatus s = runOnRow(st);
    if (!s.ok())
        return s;
    if (hashed)
        e = null ? engine::dropContentHash(m_db, rowId)
                 : engine::storeContentHash(m_db, rowId, ContentHash(bytes));
    if (e.ok() && tx)
        e = tx->commit();
    return engine::fromSqlite(e);
}

QByteArray AlbumDb::readBytes(qint64 rowId, PictureField field, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("SELECT %1 FROM Pictures WHERE rowid = ?")
                                            .arg(QLatin1String(PictureFieldName(field))),
                                        &e);
    if (!e.ok()) {
        s = engine::fromSqlite(e);
        return {};
    }
    st.bind(1, rowId);
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        s = rc == SQLITE_DONE ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}}
                              : engine::fromSqlite(m_db.lastError());
        return {};
    }
    s = {};
    return st.blob(0);
}

qint64 AlbumDb::extractToFile(qint64 rowId, PictureField field, const QString& filePath) {
    AlbumStatus s;
    const qint64 size = fieldSize(rowId, field, &s);
    if (!s.ok())
        return -s.number();
    if (size == 0)
        return 0;
    sqlite::Blob blob;
    sqlite::Error e = blob.open(m_db, "Pictures", PictureFieldName(field), rowId, false);
    if (!e.ok())
        return -engine::fromSqlite(e).number();

    const QByteArray name = QFile::encodeName(filePath);
    ::unlink(name.constData());
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -ioStatus(errno, filePath).number();

    // The file gets the remainder piece first, then the 8192-byte pieces, in order: that is the
    // field's bytes front to back, so they are read and written in large runs. Fewer, larger
    // reads matter for encrypted albums, where each read call walks and decrypts pages.
    std::vector<char> buffer(kStreamBuffer);
    qint64 result = 0;
    for (qint64 offset = 0; result == 0 && offset < size;) {
        const int length = int(std::min<qint64>(kStreamBuffer, size - offset));
        const int rc = blob.read(buffer.data(), length, int(offset));
        if (rc != SQLITE_OK) {
            sqlite::Error re = m_db.lastError();
            re.code = rc;
            result = -engine::fromSqlite(re).number();
            break;
        }
        for (int done = 0; result == 0 && done < length;) {
            const ssize_t n = ::write(fd, buffer.data() + done, size_t(length - done));
            if (n < 0 && errno != EINTR)
                result = -ioStatus(errno, filePath).number();
            else if (n > 0)
                done += int(n);
        }
        offset += length;
    }
    if (::close(fd) != 0 && result == 0)
        result = -ioStatus(errno, filePath).number();
    return result == 0 ? size : result;
}

AlbumStatus AlbumDb::integrityCheck() {
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("PRAGMA integrity_check"), &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    if (st.step() != SQLITE_ROW)
        return engine::fromSqlite(m_db.lastError());
    const QString first = st.text(0);
    if (first == u"ok")
        return {};
    return {AlbumCondition::Damaged, first};
}

} // namespace q32
