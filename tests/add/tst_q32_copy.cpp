// q32 copy between a protected album file and an album on a private PostgreSQL server, both
// ways: every row comes back byte for byte, a killed copy keeps what it reported and goes on,
// and what cannot be copied is refused with a message and nothing written.

#include "PgServer.h"
#include "Q32Run.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumThumbnails.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>

using namespace q32;
using namespace q32::test;

namespace {

const QString kPassword = QStringLiteral("album secret");
const QString kRolePassword = QStringLiteral("role-secret-77");

QByteArray digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// Every row of a file album as one line: id, texts, and each binary field's digest (or NULL),
// then the stored thumbnail's digest.
QStringList rowsOf(const QString& path, const QString& password = {}) {
    AlbumStatus status;
    auto album = AlbumDb::open(path, {true, password}, &status);
    if (!album)
        return {QStringLiteral("cannot open: ") + status.text()};
    QStringList rows;
    sqlite::Statement st = album->connection().prepare(QStringLiteral(
        "SELECT rowid, Date, SoundType, ImageFile, ImageFormat, ImageProperties, Keywords, "
        "Description, Image, SoundFile, Thumbnail FROM Pictures ORDER BY rowid"));
    while (st.step() == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < 8; ++c)
            row << (st.isNull(c) ? QStringLiteral("NULL") : st.text(c));
        for (int c = 8; c < 11; ++c)
            row << (st.isNull(c) ? QStringLiteral("NULL")
                                 : QString::fromLatin1(digest(st.blob(c))));
        row << QString::fromLatin1(digest(ReadThumbnail(*album, st.int64(0)).value_or("none")));
        rows << row.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestQ32Copy : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<PgServer> m_server;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    // A database for an album, owned by a role that logs in with a password.
    QString serverAlbum(const QString& db) {
        if (!m_server->createDatabase(db, QStringLiteral("owner")))
            return {};
        return m_server->uri(db, QStringLiteral("owner"), kRolePassword);
    }
    // 1,000 small photos with every kind of field, and a few large pictures and a clip-sized
    // sound that go in many pieces.
    QString makeSource(const QString& name, int large) {
        const QString file = path(name);
        if (!AlbumDb::create(file, true).ok())
            return {};
        if (!ChangeAlbumPassword(file, {}, kPassword).ok())
            return {};
        AlbumStatus status;
        auto album = AlbumDb::open(file, {false, kPassword}, &status);
        if (!album)
            return {};
        sqlite::Transaction tx(album->connection());
        for (int i = 0; i < 1000 + large; ++i) {
            PictureRecord r;
            r.imageFile = QStringLiteral("IMG_%1.jpg").arg(i % 990); // a few names twice
            r.date = i % 17 ? QDate(2001, 1, 1).addDays(i) : QDate();
            r.description = i % 5 ? QStringLiteral("zoë's\tday %1\nline two").arg(i) : QString();
            r.keywords = QStringLiteral("tag%1").arg(i % 7);
            r.imageFormat = QStringLiteral("10 JPEG File Interchange Format");
            const QByteArray picture = randomBytes(i < 1000 ? 3000 + i : 6 << 20, quint32(i));
            qint64 id = 0;
            if (!album->addRecordBytes(r, picture, &id).ok())
                return {};
            if (i % 10 == 3 && !album->storeBytes(id, PictureField::Image, {}).ok()) // Null
                return {};
            if (i % 10 == 4 && !album->storeBytes(id, PictureField::Image, "").ok()) // empty
                return {};
            if (i % 50 == 0 && !album
                                    ->storeBytes(id, PictureField::SoundFile,
                                                 randomBytes(i ? 900 : 20 << 20, quint32(id)))
                                    .ok())
                return {};
            if (i % 3 == 0 && !StoreThumbnail(*album, id, randomBytes(800, quint32(id))).ok())
                return {};
        }
        return tx.commit().ok() ? file : QString();
    }

private slots:
    void initTestCase() {
        if (!PgServer::missingReason().isEmpty())
            QSKIP(qPrintable(PgServer::missingReason()));
        m_server = std::make_unique<PgServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        QVERIFY(m_server->createRole(QStringLiteral("owner"), kRolePassword));
    }

    void copiesToTheServerAndBackByteForByte() {
        const QString source = makeSource(QStringLiteral("source.mdb"), 2);
        QVERIFY(!source.isEmpty());
        const QStringList original = rowsOf(source, kPassword);
        QCOMPARE(original.size(), 1002);
        const QString uri = serverAlbum(QStringLiteral("family"));
        QVERIFY(!uri.isEmpty());

        Q32Result r = RunQ32({"copy", source, uri, "--password-stdin"}, kPassword.toUtf8() + '\n');
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("copied 1002 records")));
        // The role's password never shows in what q32 prints.
        QVERIFY(!(r.out + r.err).contains(kRolePassword));
        // The server album lists as the file does, in a name order and through a filter.
        for (const QStringList& order : {QStringList{"--sort", "2"}, {"--keywords", "tag3"}}) {
            const Q32Result fromFile = RunQ32(
                QStringList{"list", source, "--password-stdin"} + order, kPassword.toUtf8() + '\n');
            const Q32Result fromServer = RunQ32(QStringList{"list", uri} + order);
            QCOMPARE(fromServer.exitCode, 0);
            QCOMPARE(fromServer.out, fromFile.out);
        }

        const QString back = path(QStringLiteral("back.mdb"));
        r = RunQ32({"copy", uri, back});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(rowsOf(back), original);
        QVERIFY(AlbumDb::open(back, {}, nullptr)->integrityCheck().ok());
    }

    void aKilledCopyKeepsWhatItReportedAndGoesOn() {
        const QString source = makeSource(QStringLiteral("large.mdb"), 40);
        QVERIFY(!source.isEmpty());
        const QString uri = serverAlbum(QStringLiteral("killed"));
        QProcess copy;
        copy.start(QStringLiteral(Q32_BINARY), {"copy", source, uri, "--password-stdin"});
        copy.write(kPassword.toUtf8() + '\n');
        copy.closeWriteChannel();
        // Killed as soon as it reports a first group stored.
        QString reported;
        QTRY_VERIFY_WITH_TIMEOUT(
            (reported += QString::fromUtf8(copy.readAllStandardError())).contains(" of 1040"),
            120000);
        ::kill(pid_t(copy.processId()), SIGKILL);
        copy.waitForFinished();
        const qint64 done = reported.section(QStringLiteral("copied "), 1, 1)
                                .section(QLatin1Char(' '), 0, 0)
                                .toLongLong();
        QVERIFY(done > 0 && done < 1040);
        const Q32Result listed = RunQ32({"list", uri});
        QCOMPARE(listed.out.count(QLatin1Char('\n')) - 1, done);

        const Q32Result again =
            RunQ32({"copy", source, uri, "--password-stdin"}, kPassword.toUtf8() + '\n');
        QVERIFY2(again.exitCode == 0, qPrintable(again.err));
        QVERIFY(again.out.contains(QStringLiteral("%1 were there").arg(done)));
        const QString back = path(QStringLiteral("killed-back.mdb"));
        QCOMPARE(RunQ32({"copy", uri, back}).exitCode, 0);
        QCOMPARE(rowsOf(back), rowsOf(source, kPassword));
    }

    void whatCannotBeCopiedIsRefusedAndNothingWritten() {
        const QString small = path(QStringLiteral("small.mdb"));
        QVERIFY(AlbumDb::create(small, false).ok());
        {
            auto album = AlbumDb::open(small, {}, nullptr);
            PictureRecord r;
            r.imageFile = QStringLiteral("a.jpg");
            QVERIFY(album->addRecordBytes(r, "pixels").ok());
        }
        // Into a database of another program: its tables stay as they were, and no album is made.
        const QString other = serverAlbum(QStringLiteral("shop"));
        QVERIFY(!m_server
                     ->psql("CREATE TABLE orders (n int); GRANT ALL ON orders TO owner",
                            QStringLiteral("shop"))
                     .isNull());
        Q32Result r = RunQ32({"copy", small, other});
        QVERIFY(r.exitCode != 0 && !r.err.isEmpty());
        QCOMPARE(m_server
                     ->psql("SELECT string_agg(tablename, ',') FROM pg_tables WHERE "
                            "schemaname = 'public'",
                            QStringLiteral("shop"))
                     .trimmed(),
                 QStringLiteral("orders"));
        // Into an album that is not an interrupted copy of the source.
        const QString family = serverAlbum(QStringLiteral("other"));
        QCOMPARE(RunQ32({"copy", small, family}).exitCode, 0);
        r = RunQ32({"copy", makeSource(QStringLiteral("third.mdb"), 0), family, "--password-stdin"},
                   kPassword.toUtf8() + '\n');
        QVERIFY(r.exitCode != 0 && r.err.contains(QStringLiteral("not those of")));
        // A wrong role password, and a server that is not there, say so by name.
        QString wrong = family;
        wrong.replace(kRolePassword, QStringLiteral("guess"));
        r = RunQ32({"copy", small, wrong});
        QVERIFY(r.exitCode != 0 && r.err.contains(QStringLiteral("password")));
        QVERIFY(!r.err.contains(QStringLiteral("guess")));
        QTemporaryDir nowhere;
        r = RunQ32({"copy", small,
                    QStringLiteral("postgresql://owner@/x?host=") +
                        QString::fromLatin1(QUrl::toPercentEncoding(nowhere.path()))});
        QVERIFY(r.exitCode != 0 && r.err.contains(nowhere.path()));
        // A file that is not an album is not written over.
        const QString notes = path(QStringLiteral("notes.mdb"));
        QVERIFY(writeFile(notes, "shopping list"));
        r = RunQ32({"copy", family, notes});
        QVERIFY(r.exitCode != 0 && !r.err.isEmpty());
        QCOMPARE(readFile(notes), QByteArray("shopping list"));
    }
};

QTEST_GUILESS_MAIN(TestQ32Copy)
#include "tst_q32_copy.moc"
