#include "album/AlbumDb.h"

#include "album/AlbumEngine.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace q32 {

namespace {

// Files are streamed into blobs through a buffer of this size, never read whole.
constexpr int kStreamBuffer = 1 << 20;

const char* const kNames[] = {"Date",      "Thumbnail",  "Image",       "SoundFile",
                              "SoundType", "ImageFile",  "ImageFormat", "ImageProperties",
                              "Keywords",  "Description"};
const int kSizes[] = {0, 0, 0, 0, 128, 128, 55, 80, 128, 0};

bool isBinary(PictureField field) {
    return field == PictureField::Thumbnail || field == PictureField::Image ||
           field == PictureField::SoundFile;
}

AlbumStatus checkTexts(const PictureRecord& r) {
    const std::pair<PictureField, const QString*> texts[] = {
        {PictureField::SoundType, &r.soundType},
        {PictureField::ImageFile, &r.imageFile},
        {PictureField::ImageFormat, &r.imageFormat},
        {PictureField::ImageProperties, &r.imageProperties},
        {PictureField::Keywords, &r.keywords}};
    for (const auto& [field, text] : texts)
        if (text->size() > PictureFieldSize(field))
            return {AlbumCondition::FieldTooLong, QStringLiteral("%1 holds at most %2 characters")
                                                      .arg(QLatin1String(PictureFieldName(field)))
                                                      .arg(PictureFieldSize(field))};
    if (r.imageFile.isEmpty())
        return {AlbumCondition::EmptyKey, QStringLiteral("ImageFile")};
    return {};
}

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

// Fills an open blob from the file, piece by piece.
AlbumStatus streamIntoBlob(sqlite::Database& db, sqlite::Blob& blob, QFile& file) {
    std::vector<char> buffer(kStreamBuffer);
    int offset = 0;
    const int size = blob.size();
    while (offset < size) {
        const int want = std::min(kStreamBuffer, size - offset);
        const qint64 got = file.read(buffer.data(), want);
        if (got != want)
            return {AlbumCondition::PathAccess, file.fileName() + QStringLiteral(" changed while "
                                                                                 "being stored")};
        const int rc = blob.write(buffer.data(), want, offset);
        if (rc != SQLITE_OK) {
            sqlite::Error e = db.lastError();
            e.code = rc;
            return engine::fromSqlite(e);
        }
        offset += want;
    }
    return {};
}

} // namespace

const char* PictureFieldName(PictureField field) {
    return kNames[int(field)];
}
int PictureFieldSize(PictureField field) {
    return kSizes[int(field)];
}

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
        engine::configure(db, false);
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

std::unique_ptr<AlbumDb> AlbumDb::open(const QString& path, const OpenOptions& options,
                                       AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& st = status ? *status : dummy;
    std::unique_ptr<AlbumDb> album(new AlbumDb);
    album->m_path = path;
    album->m_readOnly = options.readOnly;

    // The check runs on a read-only connection, so a file that is not an album is never
    // written to, not even by a journal roll-back.
    st = engine::openKeyed(path, SQLITE_OPEN_READONLY, options.password, album->m_db,
                           &album->m_encrypted);
    if (st.condition == AlbumCondition::CannotWrite && !options.readOnly &&
        QFileInfo::exists(path + QStringLiteral("-journal"))) {
        // A writer died mid-transaction: only a writable connection may roll its journal back
        // and make the album whole again.
        st = engine::openKeyed(path, SQLITE_OPEN_READWRITE, options.password, album->m_db,
                               &album->m_encrypted);
        album->m_db.close();
        if (st.ok())
            st = engine::openKeyed(path, SQLITE_OPEN_READONLY, options.password, album->m_db,
                                   &album->m_encrypted);
    }
    if (st.ok())
        st = engine::verifyAlbum(album->m_db, &album->m_unique, &album->m_textIndex);
    if (st.ok() && !options.readOnly) {
        st = album->checkWritable();
        if (st.ok()) {
            album->m_db.close();
            st = engine::openKeyed(path, SQLITE_OPEN_READWRITE, options.password, album->m_db,
                                   &album->m_encrypted);
            if (st.ok() && album->m_db.isReadOnly())
                st = {AlbumCondition::CannotWrite, path};
            if (st.ok())
                st = engine::verifyAlbum(album->m_db, &album->m_unique, &album->m_textIndex);
        }
    }
    if (!st.ok())
        return nullptr;
    engine::configure(album->m_db, album->m_encrypted);
    const QString journal = path + QStringLiteral("-journal");
    if (!options.readOnly && QFileInfo::exists(journal)) {
        // A writer killed before its journal held anything leaves an empty one that the engine
        // ignores. With the write lock held (and any hot journal rolled back) it is ours to drop.
        sqlite::Transaction tx(album->m_db);
        if (tx.beginError().ok() &&
            album->m_db.exec(QStringLiteral("SELECT count(*) FROM Pictures")).ok())
            QFile::remove(journal);
        tx.commit();
    }
    if (!options.readOnly && !album->m_textIndex) {
        // An album made before the text index: the file was checked to be an album above, and
        // the index is added in one transaction that leaves the rows as they are, so a crash or a
        // full disk leaves the album as it was. When it cannot be added now (busy, full disk),
        // the queries read the table instead.
        album->m_textIndex = engine::addTextIndex(album->m_db).ok();
    }
    return album;
}

AlbumDb::~AlbumDb() = default;

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

AlbumStatus AlbumDb::insertRow(const PictureRecord& fields, qint64 imageSize, qint64* rowId) {
    if (imageSize > std::numeric_limits<int>::max() - 1)
        return {AlbumCondition::FieldTooLong, fields.imageFile};
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(
        QStringLiteral("INSERT INTO Pictures (Date, SoundType, ImageFile, ImageFormat, "
                       "ImageProperties, Keywords, Description, Image) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    bindTexts(st, fields);
    if (imageSize >= 0)
        st.bindZeroBlob(8, imageSize);
    e = st.run();
    if (!e.ok())
        return engine::fromSqlite(e);
    *rowId = m_db.lastInsertRowId();
    return {};
}

AlbumStatus AlbumDb::addRecord(const PictureRecord& fields, const QString& imagePath,
                               qint64* rowId) {
    AlbumStatus s = checkTexts(fields);
    if (!s.ok())
        return s;
    QFile file(imagePath);
    qint64 size = -1;
    if (!imagePath.isEmpty()) {
        if (!file.open(QIODevice::ReadOnly))
            return {AlbumCondition::PathAccess, imagePath};
        size = file.size();
    }
    sqlite::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return engine::fromSqlite(tx.beginError());
    qint64 id = 0;
    s = insertRow(fields, size, &id);
    if (!s.ok())
        return s;
    if (size > 0) {
        sqlite::Blob blob;
        const sqlite::Error e = blob.open(m_db, "Pictures", "Image", id, true);
        if (!e.ok())
            return engine::fromSqlite(e);
        s = streamIntoBlob(m_db, blob, file);
        if (!s.ok())
            return s;
    }
    s = engine::fromSqlite(tx.commit());
    if (s.ok() && rowId)
        *rowId = id;
    return s;
}

AlbumStatus AlbumDb::addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                                    qint64* rowId) {
    AlbumStatus s = checkTexts(fields);
    if (!s.ok())
        return s;
    sqlite::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return engine::fromSqlite(tx.beginError());
    qint64 id = 0;
    s = insertRow(fields, image.size(), &id);
    if (!s.ok())
        return s;
    if (!image.isEmpty()) {
        // One write straight from the caller's buffer into the row's pages: the zeroed pages are
        // filled in place, with no copy in between.
        sqlite::Blob blob;
        sqlite::Error e = blob.open(m_db, "Pictures", "Image", id, true);
        if (e.ok()) {
            const int rc = blob.write(image.data(), int(image.size()), 0);
            if (rc != SQLITE_OK) {
                e = m_db.lastError();
                e.code = rc;
            }
        }
        if (!e.ok())
            return engine::fromSqlite(e);
    }
    s = engine::fromSqlite(tx.commit());
    if (s.ok() && rowId)
        *rowId = id;
    return s;
}

AlbumStatus AlbumDb::runOnRow(sqlite::Statement& statement) {
    const sqlite::Error e = statement.run();
    if (!e.ok())
        return engine::fromSqlite(e);
    // The statement names one row by its id: no change means there was no such row.
    return m_db.changes() == 0 ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}} : AlbumStatus{};
}

AlbumStatus AlbumDb::updateRecord(const PictureRecord& fields) {
    AlbumStatus s = checkTexts(fields);
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
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("DELETE FROM Pictures WHERE rowid = ?"), &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bind(1, rowId);
    return runOnRow(st);
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
    if (!isBinary(field))
        return {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {AlbumCondition::PathAccess, filePath};
    const qint64 size = file.size();
    if (size > std::numeric_limits<int>::max() - 1)
        return {AlbumCondition::FieldTooLong, filePath};
    sqlite::Transaction tx(m_db);
    if (!tx.beginError().ok())
        return engine::fromSqlite(tx.beginError());
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("UPDATE Pictures SET %1 = ? WHERE rowid = ?")
                                            .arg(QLatin1String(PictureFieldName(field))),
                                        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bindZeroBlob(1, size);
    st.bind(2, rowId);
    if (const AlbumStatus changed = runOnRow(st); !changed.ok())
        return changed;
    if (size > 0) {
        sqlite::Blob blob;
        e = blob.open(m_db, "Pictures", PictureFieldName(field), rowId, true);
        if (!e.ok())
            return engine::fromSqlite(e);
        const AlbumStatus s = streamIntoBlob(m_db, blob, file);
        if (!s.ok())
            return s;
    }
    return engine::fromSqlite(tx.commit());
}

AlbumStatus AlbumDb::storeBytes(qint64 rowId, PictureField field, const QByteArray& bytes) {
    if (!isBinary(field))
        return {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("UPDATE Pictures SET %1 = ? WHERE rowid = ?")
                                            .arg(QLatin1String(PictureFieldName(field))),
                                        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bind(1, bytes);
    st.bind(2, rowId);
    return runOnRow(st);
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
