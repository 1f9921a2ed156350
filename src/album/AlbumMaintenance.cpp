#include "album/AlbumMaintenance.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"
#include "album/AlbumSchema.h"
#include "album/BackgroundFlush.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace q32 {

namespace {

const char* const kColumns = "Date, Thumbnail, Image, SoundFile, SoundType, ImageFile, "
                             "ImageFormat, ImageProperties, Keywords, Description";

// Copies the whole album on db's main schema into a new file at target, in the current cipher
// format: with password (empty: plain), or without one with the key main was opened with. The
// copy is not flushed: copyInPlace() does that once it is checked.
AlbumStatus exportTo(sqlite::Database& db, const QString& target,
                     const std::optional<QString>& password) {
    QFile::remove(target);
    AlbumStatus s = password
                        ? engine::attachTarget(db, target, QStringLiteral("target"), *password)
                        : engine::attachTargetWithMainKey(db, target, QStringLiteral("target"));
    if (s.ok()) {
        // The copy takes the album's place only when complete, checked and flushed, so until
        // then it may be left half-written by a crash: no journal on disk, no flush per commit.
        s = engine::fromSqlite(db.exec(QStringLiteral("PRAGMA target.journal_mode = MEMORY")));
        if (s.ok())
            s = engine::fromSqlite(db.exec(QStringLiteral("PRAGMA target.synchronous = OFF")));
    }
    if (s.ok())
        s = engine::fromSqlite(db.exec(QStringLiteral("SELECT sqlcipher_export('target')")));
    if (s.ok() && !password) {
        // Taking main's key over is the engine's doing: a copy it left plain must not replace a
        // protected album.
        QFile copy(target);
        if (!copy.open(QIODevice::ReadOnly) || copy.read(16) == QByteArray("SQLite format 3", 16))
            s = {AlbumCondition::Unexpected, target};
    }
    // The version of the sort keys in the order indexes travels with them.
    sqlite::Statement version = db.prepare(QStringLiteral("PRAGMA main.user_version"));
    if (s.ok() && version.isValid() && version.step() == SQLITE_ROW)
        s = engine::fromSqlite(
            db.exec(QStringLiteral("PRAGMA target.user_version = %1").arg(version.int64(0))));
    version = {};
    db.exec(QStringLiteral("DETACH DATABASE target"));
    if (!s.ok())
        QFile::remove(target);
    return s;
}

// Follows the copy into a new file while the engine writes it: the engine calls step() every few
// instructions of its program, which reports the file's size now and then, asks for a flush of
// every few dozen megabytes written (so that the disk writes the copy while the engine still makes
// it, instead of all of it at the final flush), and stops the engine once the user has cancelled.
class FollowCopy {
public:
    FollowCopy(sqlite::Database& db, const QString& target, MaintenanceProgress* progress,
               BackgroundFlush* flush = nullptr)
        : m_db(db), m_target(QFile::encodeName(target)), m_progress(progress), m_flush(flush) {
        if (m_progress || m_flush)
            sqlite3_progress_handler(m_db.handle(), 64, &FollowCopy::step, this);
    }
    ~FollowCopy() {
        if ((m_progress || m_flush) && m_db.isOpen())
            sqlite3_progress_handler(m_db.handle(), 0, nullptr, nullptr);
    }
    FollowCopy(const FollowCopy&) = delete;
    FollowCopy& operator=(const FollowCopy&) = delete;

private:
    static int step(void* self) {
        auto* f = static_cast<FollowCopy*>(self);
        if (f->m_progress && f->m_progress->cancelled)
            return 1;
        const auto now = std::chrono::steady_clock::now();
        if (now - f->m_lastLook > std::chrono::milliseconds(50)) {
            f->m_lastLook = now;
            struct stat st {};
            if (f->m_target.isEmpty() || ::stat(f->m_target.constData(), &st) != 0)
                return 0;
            if (f->m_progress)
                f->m_progress->done = st.st_size;
            if (f->m_flush && st.st_size - f->m_flushAsked >= kFlushStep) {
                f->m_flush->request();
                f->m_flushAsked = st.st_size;
            }
        }
        return 0;
    }

    static constexpr qint64 kFlushStep = 32 << 20;
    sqlite::Database& m_db;
    QByteArray m_target;
    MaintenanceProgress* m_progress;
    BackgroundFlush* m_flush;
    qint64 m_flushAsked = 0;
    std::chrono::steady_clock::time_point m_lastLook;
};

// Checks that a new file opens as an album with password before it replaces the old one.
AlbumStatus checkCopy(const QString& path, const QString& password,
                      MaintenanceProgress* progress = nullptr) {
    AlbumStatus s;
    auto album = AlbumDb::open(path, {true, password}, &s);
    if (album) {
        const FollowCopy follow(album->connection(), QString(), progress);
        s = album->integrityCheck();
    }
    return s;
}

AlbumStatus syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (synced)
        return {};
    return {error == ENOSPC || error == EDQUOT ? AlbumCondition::DiskFull
                                               : AlbumCondition::PathAccess,
            path};
}

// A copy checked with status s is flushed and renamed over path; one that failed is removed.
AlbumStatus putInPlace(AlbumStatus s, const QString& temp, const QString& path) {
    if (s.ok())
        s = syncFile(temp);
    if (s.ok() && !engine::atomicReplace(temp, path))
        s = {AlbumCondition::PathAccess, path};
    if (!s.ok())
        QFile::remove(temp);
    return s;
}

// Copies the album on db's main schema with exportTo() into a new file beside path and puts it
// in the album's place: checked (with password) while the disk still writes it, then flushed,
// then renamed over path. Until that rename the album is untouched; on any failure the copy is
// removed.
AlbumStatus copyInPlace(sqlite::Database& db, const QString& path,
                        const std::optional<QString>& key, const QString& password,
                        MaintenanceProgress* progress = nullptr) {
    const QString temp = path + QStringLiteral(".q32new");
    QFile::remove(temp);
    AlbumStatus s;
    {
        // The pages flushed stay cached for the check.
        BackgroundFlush flush(temp, BackgroundFlush::Pages::KeptCached);
        {
            const FollowCopy follow(db, temp, progress, &flush);
            s = exportTo(db, temp, key);
        }
        if (s.ok()) {
            flush.request(); // the rest, while the copy is checked
            s = checkCopy(temp, password, progress);
        }
        if (progress && progress->cancelled)
            s = {AlbumCondition::Cancelled, path};
    }
    return putInPlace(s, temp, path);
}

// Row ids reachable by a scan in one statement, up to the first error.
void collectIds(sqlite::Database& db, const QString& sql, std::set<qint64>& ids) {
    sqlite::Statement st = db.prepare(sql);
    if (!st.isValid())
        return;
    while (st.step() == SQLITE_ROW)
        ids.insert(st.int64(0));
}

} // namespace

QString DuplicateQuestionText(const QString& path) {
    return QStringLiteral("Do you allow duplicate image file names in this Image Depository?") +
           QStringLiteral("\n\n") +
           QStringLiteral("(HINT: Saying No will help avoiding having duplicate pictures in the "
                          "\"") +
           FileNameOfPath(path) + QStringLiteral("\"album)");
}

AlbumStatus CreateAlbumAsking(const QString& path, PromptService& prompts) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return {AlbumCondition::FileExists, path};
    const MsgResult answer = prompts.msgBox(DuplicateQuestionText(path), 292,
                                            QStringLiteral("ALLOW DUPLICATE IMAGE FILE NAMES"));
    return AlbumDb::create(path, answer == MsgResult::Yes);
}

AlbumStatus ChangeAlbumPassword(const QString& path, const QString& oldPassword,
                                const QString& newPassword) {
    AlbumStatus s;
    auto album = AlbumDb::open(path, {false, oldPassword, false}, &s);
    if (!album)
        return s;
    if (!oldPassword.isEmpty() && !album->isEncrypted())
        return {AlbumCondition::WrongPassword, {}};
    return copyInPlace(album->connection(), path, newPassword, newPassword);
}

AlbumStatus MigrateToCurrentCipher(const QString& path, const QString& password) {
    sqlite::Database db;
    engine::CipherFormat format = engine::CipherFormat::Plain;
    AlbumStatus s = engine::openKeyed(path, SQLITE_OPEN_READWRITE, password, db, &format);
    if (!s.ok() || format != engine::CipherFormat::Version3)
        return s;
    engine::configure(db);
    // A one-time conversion, done as plainly as can be: the album's file is let go of before the
    // copy is checked, flushed and renamed over it.
    const QString temp = path + QStringLiteral(".q32new");
    s = exportTo(db, temp, password);
    db.close();
    if (s.ok())
        s = checkCopy(temp, password);
    return putInPlace(s, temp, path);
}

void CompactReport::setNewSize(qint64 size) {
    newSize = size;
    if (oldSize > 0)
        gain = RoundHalfEven(100.0 - double(newSize) / double(oldSize) * 100.0);
}

QString CompactReport::message() const {
    return QStringLiteral("Old size = ") + FormatThousands(oldSize) + QStringLiteral(" bytes\r") +
           QStringLiteral("New size = ") + FormatThousands(newSize) + QStringLiteral(" bytes\r") +
           QStringLiteral("Gain = ") + QString::number(gain) + QStringLiteral("%");
}

CompactReport CompactAlbumFile(const QString& path, const QString& password,
                               MaintenanceProgress* progress) {
    CompactReport r;
    r.oldSize = QFileInfo(path).size();
    if (progress)
        progress->total = r.oldSize;
    r.backupPath = path.left(path.size() - 3) + QStringLiteral("bak");
    QFile::remove(r.backupPath);
    // The backup is a second name of the album file, so the album stays at path at every
    // moment. Where the file system has no links it is renamed, and renamed back on failure.
    const bool linked = ::link(QFile::encodeName(path).constData(),
                               QFile::encodeName(r.backupPath).constData()) == 0;
    if (!linked && ::rename(QFile::encodeName(path).constData(),
                            QFile::encodeName(r.backupPath).constData()) != 0) {
        r.status = {AlbumCondition::PathAccess, path};
    } else {
        // Opened by the engine alone: the album is only read, and its key is derived once, for
        // the copy too when it is in the current format.
        sqlite::Database db;
        engine::CipherFormat format = engine::CipherFormat::Plain;
        r.status = engine::openKeyed(r.backupPath, SQLITE_OPEN_READWRITE, password, db, &format);
        if (r.status.ok() && db.isReadOnly())
            r.status = {AlbumCondition::CannotWrite, path};
        engine::SchemaState schema;
        if (r.status.ok())
            r.status = engine::verifyAlbum(db, &schema);
        if (r.status.ok()) {
            engine::configure(db);
            const std::optional<QString> key =
                format == engine::CipherFormat::Current
                    ? std::nullopt
                    : std::optional<QString>(format == engine::CipherFormat::Plain ? "" : password);
            r.status = copyInPlace(db, path, key, password, progress);
        }
        db.close();
        if (!r.status.ok() && progress && progress->cancelled)
            r.status = {AlbumCondition::Cancelled, path};
        if (!r.status.ok()) {
            // The album stays where it was; the user loses nothing.
            QFile::remove(path + QStringLiteral(".q32new"));
            if (!linked)
                ::rename(QFile::encodeName(r.backupPath).constData(),
                         QFile::encodeName(path).constData());
        }
    }
    r.setNewSize(QFileInfo(path).size());
    return r;
}

QString RepairReport::message(const QString& path) const {
    QString text = path + QStringLiteral(" repaired.");
    if (wasDamaged)
        text +=
            QStringLiteral("\nRecords saved: %1\nRecords lost: %2").arg(rowsSaved).arg(rowsLost);
    return text;
}

RepairReport RepairAlbumFile(const QString& path, const QString& password,
                             MaintenanceProgress* progress) {
    RepairReport r;
    sqlite::Database db;
    engine::CipherFormat format = engine::CipherFormat::Plain;
    r.status = engine::openKeyed(path, SQLITE_OPEN_READWRITE, password, db, &format);
    // A cut-off file is refused whole by the engine; a copy padded with empty (sparse) pages
    // opens, and only the rows on the missing pages stay unreadable.
    const QString padded = path + QStringLiteral(".q32pad");
    QFile::remove(padded);
    if (r.status.condition == AlbumCondition::Damaged && QFile::copy(path, padded)) {
        const qint64 size = QFileInfo(path).size();
        const qint64 whole = (size + AlbumDb::PageSize - 1) / AlbumDb::PageSize * AlbumDb::PageSize;
        for (int factor = 1; factor <= 64 && r.status.condition == AlbumCondition::Damaged;
             factor *= 2) {
            QFile(padded).resize(whole * factor);
            r.status = engine::openKeyed(padded, SQLITE_OPEN_READWRITE, password, db, &format);
        }
    }
    struct RemovePadded {
        QString file;
        ~RemovePadded() { QFile::remove(file); }
    } removePadded{padded};
    if (!r.status.ok())
        return r;
    const bool encrypted = format != engine::CipherFormat::Plain;
    // The check of a large album takes a while too: a cancel stops it.
    const FollowCopy follow(db, QString(), progress);
    engine::SchemaState schema;
    const AlbumStatus verified = engine::verifyAlbum(db, &schema);
    const bool unique = schema.unique;
    // A check the cancel interrupted proves nothing about the file, which is left as it was.
    if (progress && progress->cancelled) {
        r.status = {AlbumCondition::Cancelled, path};
        return r;
    }
    if (verified.condition == AlbumCondition::NotAnAlbum) {
        r.status = verified;
        return r;
    }
    if (verified.ok()) {
        sqlite::Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
        if (check.isValid() && check.step() == SQLITE_ROW && check.text(0) == u"ok") {
            sqlite::Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM Pictures"));
            if (count.isValid() && count.step() == SQLITE_ROW) {
                r.rowsSaved = count.int64(0);
                return r;
            }
        }
    }
    r.wasDamaged = true;
    engine::configure(db);

    // Every row id that any path through the file still reaches: both ends of the table, the
    // index, and every id between the smallest and largest seen.
    std::set<qint64> ids;
    collectIds(db, QStringLiteral("SELECT rowid FROM Pictures ORDER BY rowid ASC"), ids);
    collectIds(db, QStringLiteral("SELECT rowid FROM Pictures ORDER BY rowid DESC"), ids);
    collectIds(db,
               QStringLiteral("SELECT rowid FROM Pictures INDEXED BY Primary_Key "
                              "ORDER BY ImageFile COLLATE NOCASE ASC"),
               ids);
    collectIds(db,
               QStringLiteral("SELECT rowid FROM Pictures INDEXED BY Primary_Key "
                              "ORDER BY ImageFile COLLATE NOCASE DESC"),
               ids);
    if (!ids.empty() && *ids.rbegin() - *ids.begin() < 2000000) {
        sqlite::Statement probe =
            db.prepare(QStringLiteral("SELECT rowid FROM Pictures WHERE rowid = ?"));
        for (qint64 id = *ids.begin(); probe.isValid() && id <= *ids.rbegin(); ++id) {
            if (ids.count(id))
                continue;
            probe.bind(1, id);
            if (probe.step() == SQLITE_ROW)
                ids.insert(id);
            probe.reset();
        }
    }

    const QString temp = path + QStringLiteral(".q32fix");
    QFile::remove(temp);
    r.status = engine::attachTarget(db, temp, QStringLiteral("fixed"), encrypted ? password : "");
    if (r.status.ok()) {
        // The copy is a new file that replaces the album only when complete and checked: its
        // journal only has to undo a row that fails half-way, so it stays in memory.
        db.exec(QStringLiteral("PRAGMA fixed.journal_mode = MEMORY"));
        db.exec(QStringLiteral("PRAGMA fixed.synchronous = OFF"));
        // When the index cannot be read, duplicates are allowed so that no row is refused.
        r.status = engine::createSchema(db, QStringLiteral("fixed"), unique && verified.ok());
    }
    if (r.status.ok()) {
        sqlite::Statement copy = db.prepare(
            QStringLiteral("INSERT INTO fixed.Pictures (rowid, %1) SELECT rowid, %1 FROM "
                           "main.Pictures WHERE rowid = ?")
                .arg(QLatin1String(kColumns)));
        if (progress)
            progress->total = qint64(ids.size());
        for (qint64 id : ids) {
            if (progress && progress->cancelled) {
                r.status = {AlbumCondition::Cancelled, path};
                break;
            }
            if (progress)
                ++progress->done;
            copy.bind(1, id);
            if (copy.step() == SQLITE_DONE && db.changes() == 1)
                ++r.rowsSaved;
            else
                ++r.rowsLost;
            copy.reset();
        }
        db.exec(QStringLiteral("DETACH DATABASE fixed"));
    }
    db.close();
    if (r.status.ok()) {
        r.status = syncFile(temp);
        if (r.status.ok())
            r.status = checkCopy(temp, encrypted ? password : QString(), progress);
        if (progress && progress->cancelled)
            r.status = {AlbumCondition::Cancelled, path};
    }
    if (r.status.ok()) {
        const QString damaged = path + QStringLiteral(".damaged");
        QFile::remove(damaged);
        ::link(QFile::encodeName(path).constData(), QFile::encodeName(damaged).constData());
        if (!engine::atomicReplace(temp, path))
            r.status = {AlbumCondition::PathAccess, path};
    }
    if (!r.status.ok())
        QFile::remove(temp);
    return r;
}

} // namespace q32
