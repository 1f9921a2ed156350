#pragma once
// Album rows made by the tests themselves, and the files in a folder.

#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"
#include "platform/sqlite/SqliteDb.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QMap>
#include <QString>
#include <unistd.h>

namespace q32::test {

inline PictureRecord makeRecord(const QString& name, const QDate& date = QDate(2020, 5, 17),
                                const QString& keywords = {}, const QString& description = {}) {
    PictureRecord r;
    r.date = date;
    r.imageFile = name;
    r.imageFormat = QStringLiteral("10 JPEG");
    r.imageProperties = QStringLiteral("(1 KB) (1 x 1) (16M)");
    r.keywords = keywords;
    r.description = description;
    return r;
}

// Opened for writing unless readOnly; why not, in the test's log.
inline std::unique_ptr<AlbumDb> openAlbum(const QString& path, const QString& password = {},
                                          bool readOnly = false) {
    AlbumStatus s;
    auto album = AlbumDb::open(path, {readOnly, password}, &s);
    if (!album)
        qWarning() << "open failed" << s.number() << s.detail;
    return album;
}

// A new album, opened for writing.
inline std::unique_ptr<AlbumDb> newAlbum(const QString& path, bool allowDuplicates = false) {
    return AlbumDb::create(path, allowDuplicates).ok() ? openAlbum(path) : nullptr;
}

// One text of every row of a query, in its order.
inline QStringList textsInOrder(AlbumDb& album, const AlbumQuery& query,
                                QString PictureRecord::*field = &PictureRecord::imageFile) {
    AlbumRecordset rows(album, query);
    QStringList texts;
    for (qint64 i = 0; i < rows.recordCount(); ++i)
        texts << *rows.recordAt(i).*field;
    return texts;
}

// Each row of the album at path by its name, as of(album, row) tells it; empty when it does not
// open.
template <typename Of> auto rowsByName(const QString& path, Of of, const QString& password = {}) {
    QMap<QString, std::invoke_result_t<Of, AlbumDb&, const PictureRecord&>> out;
    if (auto album = openAlbum(path, password, true)) {
        AlbumRecordset rows(*album, {});
        for (qint64 i = 0; i < rows.recordCount(); ++i)
            if (const auto r = rows.recordAt(i))
                out.insert(r->imageFile, of(*album, *r));
    }
    return out;
}

inline QByteArray sha(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Runs body in a child process; returns its pid. The child never returns into the test.
template <typename Body> pid_t spawn(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    return pid;
}

// Files in a folder, for the "only the album at rest" checks.
inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// Opens path with the raw engine and the given cipher settings; true when it reads.
inline bool readsWith(const QString& path, const QString& password, const QString& settings) {
    sqlite::Database db;
    if (!db.open(path, SQLITE_OPEN_READONLY).ok())
        return false;
    db.key(password.toUtf8());
    db.exec(settings);
    return db.exec("SELECT count(*) FROM sqlite_master").ok();
}

// SQLCipher 4 with HMAC-SHA256 on 64 KiB pages.
inline const char* const kOurSettings =
    "PRAGMA cipher_page_size = 65536; PRAGMA cipher_hmac_algorithm = HMAC_SHA256";

} // namespace q32::test
