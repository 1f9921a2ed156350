// q32 on an album on a private PostgreSQL server: two processes adding at once store every file
// byte for byte, a killed run or a server gone mid-run leaves what was reported, duplicates are
// found by content, records are extracted and edited by row id, compact and repair are the
// server's own, and a role that may only read gets a message with nothing added.

#include "PgServer.h"
#include "Q32Run.h"
#include "TestFiles.h"
#include "album/server/ServerAlbum.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

namespace {

const QString kRolePassword = QStringLiteral("role-secret-29");

// Small PNGs, each with its own pixels, named prefix0.png... in folder.
QStringList makePictures(const QString& folder, const QString& prefix, int count) {
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < count; ++i) {
        QImage image(24, 16, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(quint32(qHash(prefix) + i * 2654435761u)));
        image.setPixel(i % 24, (i / 24) % 16, 0xff000000 | quint32(i));
        const QString file = QStringLiteral("%1/%2%3.png").arg(folder, prefix).arg(i);
        if (!image.save(file))
            return {};
        files << file;
    }
    return files;
}

// Every record's file name with its picture's bytes, read back through the server album.
QMap<QString, QByteArray> storedPictures(const QString& uri) {
    QMap<QString, QByteArray> stored;
    AlbumStatus status;
    auto album = ServerAlbum::open(uri, {}, true, &status);
    if (!album)
        return {{QStringLiteral("cannot open"), status.text().toUtf8()}};
    for (const qint64 id : album->rowIds(0, 1 << 20)) {
        const auto record = album->record(id);
        auto reader = album->readField(id, PictureField::Image, &status);
        QByteArray bytes, piece;
        while (reader && reader->next(piece).ok() && !piece.isEmpty())
            bytes += piece;
        stored.insert(record ? record->imageFile : QStringLiteral("unreadable"), bytes);
    }
    return stored;
}

} // namespace

class TestQ32ServerAdd : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<PgServer> m_server;

    QString serverAlbum(const QString& db, const QString& role = QStringLiteral("owner")) {
        if (!m_server->createDatabase(db, QStringLiteral("owner")))
            return {};
        const QString uri = m_server->uri(db, role, kRolePassword);
        return RunQ32({"create", uri}).exitCode == 0 ? uri : QString();
    }

private slots:
    void initTestCase() {
        if (!PgServer::missingReason().isEmpty())
            QSKIP(qPrintable(PgServer::missingReason()));
        m_server = std::make_unique<PgServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        QVERIFY(m_server->createRole(QStringLiteral("owner"), kRolePassword));
        QVERIFY(m_server->createRole(QStringLiteral("viewer"), kRolePassword,
                                     PgServer::Role::ReadOnly));
    }

    void twoProcessesAddingAtOnceStoreEveryFile() {
        const QString uri = serverAlbum(QStringLiteral("club"));
        QVERIFY(!uri.isEmpty());
        const QStringList first = makePictures(m_dir.filePath("a"), "anna", 500);
        const QStringList second = makePictures(m_dir.filePath("b"), "ben", 500);
        QCOMPARE(first.size() + second.size(), 1000);

        // Both run at once, each committing after every file, so their writes interleave.
        QProcess a, b;
        a.start(QStringLiteral(Q32_BINARY), {"add", uri, m_dir.filePath("a"), "--group", "0"});
        b.start(QStringLiteral(Q32_BINARY), {"add", uri, m_dir.filePath("b"), "--group", "0"});
        QVERIFY(a.waitForFinished(300000) && b.waitForFinished(300000));
        const QString errA = QString::fromUtf8(a.readAllStandardError());
        QVERIFY2(a.exitCode() == 0, qPrintable(errA.right(500)));
        QVERIFY2(b.exitCode() == 0, qPrintable(b.readAllStandardError().right(500)));
        QVERIFY(errA.contains("500 stored, 0 skipped, 0 failed"));
        // The role's password never shows in what q32 prints.
        QVERIFY(!errA.contains(kRolePassword));
        const Q32Result info = RunQ32({"info", uri});
        QVERIFY2(info.out.contains("Records: 1000\n") && info.out.contains("Server: PostgreSQL 15"),
                 qPrintable(info.out + info.err));
        QVERIFY(!info.out.contains(kRolePassword));

        const QMap<QString, QByteArray> stored = storedPictures(uri);
        QCOMPARE(stored.size(), 1000);
        for (const QString& file : first + second)
            QVERIFY2(stored.value(QFileInfo(file).fileName()) == readFile(file), qPrintable(file));

        // Adding the same files again finds every one by its content.
        const Q32Result again =
            RunQ32({"add", uri, first.at(7), second.at(9), "--skip-duplicates"});
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.err.contains("0 stored, 2 skipped"), qPrintable(again.err));
        QVERIFY(again.err.contains(QStringLiteral("the same picture as record")));
        QVERIFY(again.err.contains(QStringLiteral("(anna7.png)")));
        // Without skipping, the names clash instead: nothing is stored twice.
        const Q32Result clash = RunQ32({"add", uri, first.at(3)});
        QVERIFY(clash.err.contains(QStringLiteral("already in the album")));
        QCOMPARE(storedPictures(uri).size(), 1000);

        // Compact is the server's VACUUM FULL: with most records deleted, the tables shrink.
        QVERIFY(
            !m_server->psql("DELETE FROM \"Pictures\" WHERE \"ID\" % 10 <> 0", "club").isNull());
        const Q32Result compacted = RunQ32({"compact", uri});
        QVERIFY2(compacted.exitCode == 0, qPrintable(compacted.err));
        static const QRegularExpression sizes(
            QStringLiteral("Old size = (\\S+) bytes\nNew size = (\\S+) bytes\nGain = (\\d+)%"));
        const QRegularExpressionMatch m = sizes.match(compacted.out);
        QVERIFY2(m.hasMatch(), qPrintable(compacted.out));
        const auto number = [&](int i) {
            return m.captured(i).remove(QRegularExpression(QStringLiteral("\\D"))).toLongLong();
        };
        QVERIFY(number(2) < number(1) && number(3) > 0);
        QCOMPARE(storedPictures(uri).size(), 100);
    }

    void aRecordIsExtractedAndEditedByRowId() {
        const QString uri = serverAlbum(QStringLiteral("edits"));
        QVERIFY(!uri.isEmpty());
        const QStringList files = makePictures(m_dir.filePath("e"), "eve", 1);
        QCOMPARE(RunQ32({"add", uri, files.at(0)}).exitCode, 0);
        const QString out = m_dir.filePath("eve-out.png");
        Q32Result r = RunQ32({"extract", uri, "1", out});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(readFile(out), readFile(files.at(0)));

        const QString sound = m_dir.filePath("bell.wav");
        QFile wav(sound);
        QVERIFY(wav.open(QIODevice::WriteOnly) && wav.write(QByteArray(5000, 'w')) == 5000);
        wav.close();
        r = RunQ32({"edit", uri, "1", "--keywords", "garden", "--sound", sound});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        AlbumStatus status;
        auto album = ServerAlbum::open(uri, {}, true, &status);
        QVERIFY(album);
        QCOMPARE(album->record(1)->keywords, QStringLiteral("garden"));
        QCOMPARE(album->fieldSize(1, PictureField::SoundFile), 5000);
        // Repair is the server's REINDEX, with the file album's report.
        r = RunQ32({"repair", uri});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral(" repaired.")) && !r.out.contains(kRolePassword));
        QCOMPARE(album->record(1)->keywords, QStringLiteral("garden")); // its connection survives
        // The same picture under another name: q32 duplicates finds the two.
        const QString twin = m_dir.filePath("twin.png");
        QVERIFY(QFile::copy(files.at(0), twin));
        QCOMPARE(RunQ32({"add", uri, twin}).exitCode, 0);
        r = RunQ32({"duplicates", uri});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out,
                 QStringLiteral("Group\tRowId\tImageFile\n1\t1\teve0.png\n1\t2\ttwin.png\n"));
        // Commands for album files only say so, without the role's password.
        for (const QStringList& args : {QStringList{"password", uri, "--remove"},
                                        {"similar", uri},
                                        {"export", uri, "--all", m_dir.path()}}) {
            r = RunQ32(args);
            QVERIFY2(r.exitCode != 0 && r.err.contains("server album"), qPrintable(r.err));
            QVERIFY(!r.err.contains(kRolePassword));
        }
        // A row id that is not there is named, and nothing is written.
        r = RunQ32({"extract", uri, "9", out});
        QVERIFY(r.exitCode != 0 && r.err.contains(QStringLiteral("no record with row id 9")));
        QVERIFY(!r.err.contains(kRolePassword));
    }

    void aKilledRunLeavesExactlyWhatItReported() {
        const QString uri = serverAlbum(QStringLiteral("killed"));
        QVERIFY(!uri.isEmpty());
        const QStringList files = makePictures(m_dir.filePath("k"), "kim", 60);
        QCOMPARE(files.size(), 60);
        for (const char* hold : {"reported:1", "reported:23"}) {
            const QByteArray report =
                RunQ32KilledAt({"add", uri, m_dir.filePath("k"), "--group", "0"}, hold);
            QVERIFY2(report.contains("q32-hold"), hold);

            // The second run goes on where the first stopped (the file there is skipped by name).
            static const QRegularExpression storedLine(QStringLiteral("\\] (\\S+): stored"));
            QStringList reported;
            for (auto m = storedLine.globalMatch(QString::fromUtf8(report)); m.hasNext();)
                reported << QFileInfo(m.next().captured(1)).fileName();
            const QMap<QString, QByteArray> stored = storedPictures(uri);
            QVERIFY(!reported.isEmpty());
            for (const QString& name : std::as_const(reported))
                QVERIFY2(stored.contains(name), qPrintable(name));
            const int expected = QByteArray(hold).endsWith(":1") ? 1 : 23 + 1;
            QCOMPARE(stored.size(), expected);
        }
    }

    void aRoleThatMayOnlyReadAddsNothing() {
        const QString uri = serverAlbum(QStringLiteral("gallery"));
        QVERIFY(!uri.isEmpty());
        QVERIFY(!m_server
                     ->psql("GRANT SELECT ON ALL TABLES IN SCHEMA public TO viewer",
                            QStringLiteral("gallery"))
                     .isNull());
        const QStringList files = makePictures(m_dir.filePath("v"), "vera", 2);
        QString viewerUri = uri;
        viewerUri.replace(QStringLiteral("//owner:"), QStringLiteral("//viewer:"));
        const Q32Result r = RunQ32({"add", viewerUri, files.at(0), files.at(1)});
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.err.contains(QStringLiteral("only read")), qPrintable(r.err));
        QVERIFY(!r.err.contains(kRolePassword));
        QCOMPARE(storedPictures(uri).size(), 0);
    }

    // Last: it stops the server under a running add.
    void theServerGoneMidAddKeepsWhatWasReported() {
        const QString uri = serverAlbum(QStringLiteral("lost"));
        QVERIFY(!uri.isEmpty());
        const QStringList files = makePictures(m_dir.filePath("l"), "lee", 1500);
        QCOMPARE(files.size(), 1500);
        QProcess add;
        add.start(QStringLiteral(Q32_BINARY), {"add", uri, m_dir.filePath("l"), "--group", "0"});
        QVERIFY(add.waitForStarted());
        QByteArray report;
        QTRY_VERIFY_WITH_TIMEOUT((report += add.readAllStandardError()).count(": stored") >= 20,
                                 60000);
        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        QVERIFY(add.waitForFinished(60000));
        report += add.readAllStandardError();
        QVERIFY2(add.exitCode() == 1 && report.contains("not attempted after the album failed"),
                 report.right(800).constData());
        QVERIFY(!report.contains(kRolePassword.toUtf8()));

        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        static const QRegularExpression storedLine(QStringLiteral("\\] (\\S+): stored"));
        QSet<QString> reported;
        for (auto m = storedLine.globalMatch(QString::fromUtf8(report)); m.hasNext();)
            reported << QFileInfo(m.next().captured(1)).fileName();
        const QMap<QString, QByteArray> stored = storedPictures(uri);
        // Every file reported is there whole; at most the one in hand when the server went may
        // be there too (committed, its answer lost), and nothing half-written.
        for (const QString& name : std::as_const(reported))
            QVERIFY2(stored.contains(name), qPrintable(name));
        QVERIFY(stored.size() - reported.size() <= 1);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            QCOMPARE(it.value(), readFile(m_dir.filePath("l/" + it.key())));
    }
};

QTEST_GUILESS_MAIN(TestQ32ServerAdd)
#include "tst_q32_server_add.moc"
