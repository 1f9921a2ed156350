// The libpq layer against a private PostgreSQL 15 (tests/support/PgServer): values and large
// bytes round-trip, failures come back classified, transactions roll back, notifications
// arrive, and a server that goes away is seen as lost.

#include "PgServer.h"
#include "platform/postgres/Notifications.h"
#include "platform/postgres/PostgresDb.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <limits>
#include <memory>
#include <optional>

using namespace q32;
using namespace q32::pg;
using q32::test::PgServer;

namespace {

// Characters a URI must encode, so a password leaking into one would be seen either way.
const QString kAlicePassword = QStringLiteral("s3cret:@/ ö&");

int64_t Count(Connection& db, const QString& where) {
    return db.exec(QStringLiteral("SELECT count(*) FROM items WHERE ") + where).int64(0, 0);
}

} // namespace

class TestPostgres : public QObject {
    Q_OBJECT
    std::unique_ptr<PgServer> m_server;

    QString album(const QString& user = QStringLiteral("alice")) const {
        return m_server->conninfo(QStringLiteral("album"), user);
    }
    void openAlbum(Connection& db) {
        const Error e = db.open(album(), kAlicePassword);
        QVERIFY2(e.ok(), qPrintable(e.message));
    }

private slots:
    void initTestCase() {
        if (const QString why = PgServer::missingReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        // Nothing of the user's libpq set-up may answer for a missing password.
        qputenv("PGPASSFILE", "/nonexistent");
        qunsetenv("PGPASSWORD");
        qunsetenv("PGSERVICE");
        m_server = std::make_unique<PgServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        QVERIFY2(m_server->createRole("alice", kAlicePassword) &&
                     m_server->createRole("rita", "rita", PgServer::Role::ReadOnly) &&
                     m_server->createDatabase("album", "alice") &&
                     !m_server
                          ->psql("SET ROLE alice; CREATE TABLE items "
                                 "(id bigint PRIMARY KEY, name text, data bytea)",
                                 "album")
                          .isNull(),
                 qPrintable(m_server->error()));
    }

    void valuesRoundTripAndLargeBytesStreamInPieces() {
        Connection db;
        openAlbum(db);
        const QString name = QStringLiteral("Ünïcode 'quoted' \"name\" 🙂");
        QByteArray everyByte;
        for (int i = 0; i < 256; ++i)
            everyByte.append(char(i));
        const int64_t lowest = std::numeric_limits<int64_t>::min();
        const Result added =
            db.execParams("INSERT INTO items (id, name, data) VALUES ($1, $2, $3), ($4, $5, $6)",
                          {lowest, name, everyByte, int64_t(7), QString(), QByteArray("")});
        QVERIFY2(added.ok(), qPrintable(added.error().message));
        QCOMPARE(added.affectedRows(), int64_t(2));

        // Binary results of a prepared statement, then the text results of a plain one.
        QVERIFY(db.prepare("item", "SELECT id, name, data, length(data) FROM items WHERE id = $1")
                    .ok());
        const Result one = db.execPrepared("item", {lowest});
        QCOMPARE(one.rows(), 1);
        QCOMPARE(one.int64(0, 0), lowest);
        QCOMPARE(one.text(0, 1), name);
        QCOMPARE(one.bytes(0, 2), everyByte);
        QCOMPARE(one.int64(0, 3), int64_t(256));
        const Result seven = db.execPrepared("item", {int64_t(7)});
        QVERIFY(seven.isNull(0, 1) && seven.text(0, 1).isNull());
        QVERIFY(!seven.isNull(0, 2) && !seven.bytes(0, 2).isNull() && seven.bytes(0, 2).isEmpty());
        const Result asText = db.exec("SELECT id, name, data FROM items ORDER BY id LIMIT 1");
        QCOMPARE(asText.int64(0, 0), lowest);
        QCOMPARE(asText.text(0, 1), name);
        QCOMPARE(asText.bytes(0, 2), everyByte);

        // 20 MB go in a piece at a time and come back a piece at a time.
        const int piece = 1 << 20;
        const int pieces = 20;
        QVERIFY(db.exec("INSERT INTO items (id, data) VALUES (100, '')").ok());
        QVERIFY(db.prepare("append", "UPDATE items SET data = data || $1 WHERE id = 100").ok());
        QCryptographicHash written(QCryptographicHash::Sha256);
        for (int i = 0; i < pieces; ++i) {
            QByteArray chunk(piece, Qt::Uninitialized);
            QRandomGenerator(i).fillRange(reinterpret_cast<quint32*>(chunk.data()), piece / 4);
            written.addData(chunk);
            QCOMPARE(db.execPrepared("append", {chunk}).affectedRows(), int64_t(1));
        }
        const QString inPieces =
            "SELECT substring(data FROM o FOR $1) FROM items, "
            "generate_series(1, length(data), $1) AS o WHERE id = 100 ORDER BY o";
        QCryptographicHash read(QCryptographicHash::Sha256);
        int seen = 0;
        qsizetype largest = 0;
        const Error streamed = db.forEachRow(inPieces, {int64_t(piece)}, [&](const Result& row) {
            const QByteArray bytes = row.bytes(0, 0);
            read.addData(bytes);
            largest = std::max(largest, bytes.size());
            ++seen;
            return true;
        });
        QVERIFY2(streamed.ok(), qPrintable(streamed.message));
        QCOMPARE(seen, pieces);
        QCOMPARE(largest, qsizetype(piece));
        QCOMPARE(read.result(), written.result());

        // Stopping early leaves the connection, and a transaction around it, usable.
        for (const bool inTransaction : {false, true}) {
            std::optional<Transaction> t;
            if (inTransaction)
                t.emplace(db);
            seen = 0;
            QVERIFY(db.forEachRow(inPieces, {int64_t(piece)}, [&](const Result&) {
                          return ++seen < 2;
                      }).ok());
            QCOMPARE(seen, 2);
            seen = 0;
            QVERIFY(db.forEachRow(inPieces, {int64_t(piece)}, [&](const Result&) {
                          ++seen;
                          return true;
                      }).ok());
            QCOMPARE(seen, pieces);
            if (t)
                QVERIFY(t->commit().ok());
        }
    }

    void failuresAreClassified() {
        Connection c;
        Error e = c.open(album(), QStringLiteral("wrong"));
        QCOMPARE(e.kind, ErrorKind::AuthFailed);
        QVERIFY(!c.isOpen());
        QCOMPARE(c.open(album()).kind, ErrorKind::AuthFailed);

        e = c.open(m_server->conninfo("no_such_album", "alice"), kAlicePassword);
        QCOMPARE(e.kind, ErrorKind::NoSuchDatabase);
        QCOMPARE(e.sqlState, QStringLiteral("3D000"));

        QTemporaryDir noServer;
        e = c.open(QStringLiteral("host=%1 port=5432 dbname=album user=alice").arg(noServer.path()),
                   kAlicePassword);
        QCOMPARE(e.kind, ErrorKind::Unreachable);
        QCOMPARE(e.host, noServer.path());
        QCOMPARE(e.port, QStringLiteral("5432"));
        QVERIFY2(e.message.contains(noServer.path()) && e.message.contains("5432"),
                 qPrintable(e.message));

        Connection reader;
        QVERIFY(reader.open(album("rita"), "rita").ok());
        QVERIFY(reader.exec("SELECT count(*) FROM items").ok());
        const Result write = reader.execParams("INSERT INTO items (id) VALUES ($1)", {int64_t(1)});
        QCOMPARE(write.error().kind, ErrorKind::PermissionDenied);
        QCOMPARE(write.sqlState(), QStringLiteral("42501"));
        QVERIFY(reader.isOpen());

        // A URI with the password in it opens, and the one given back for the recent list has
        // none: it opens only with the password given apart.
        const QString uri =
            QStringLiteral("postgresql://alice:%1@/album?host=%2&port=5432&application_name=q32")
                .arg(QString::fromLatin1(QUrl::toPercentEncoding(kAlicePassword)),
                     m_server->socketDir());
        QVERIFY(c.open(uri).ok());
        const QString recent = c.uriWithoutPassword();
        QVERIFY2(!recent.contains("s3cret") && !recent.contains("password") &&
                     recent.contains(m_server->socketDir()) && recent.contains("application_name"),
                 qPrintable(recent));
        QCOMPARE(c.open(recent).kind, ErrorKind::AuthFailed);
        QVERIFY(c.open(recent, kAlicePassword).ok());
    }

    void transactionRollsBackUnlessCommitted() {
        Connection db;
        openAlbum(db);
        {
            Transaction t(db);
            QVERIFY(t.beginError().ok());
            QVERIFY(db.exec("INSERT INTO items (id) VALUES (200)").ok());
        }
        QCOMPARE(Count(db, "id = 200"), int64_t(0));
        {
            Transaction t(db);
            QVERIFY(db.exec("INSERT INTO items (id) VALUES (201)").ok());
            {
                Transaction inner(db);
                QVERIFY(db.exec("INSERT INTO items (id) VALUES (202)").ok());
            }
            QVERIFY(t.commit().ok());
        }
        QCOMPARE(Count(db, "id IN (201, 202)"), int64_t(1));
        QCOMPARE(Count(db, "id = 201"), int64_t(1));
        {
            Transaction t(db);
            QVERIFY(db.exec("INSERT INTO items (id) VALUES (203)").ok());
            QVERIFY(!db.exec("INSERT INTO items (id) VALUES (201)").ok());
            QVERIFY(!t.commit().ok());
        }
        QVERIFY(!db.inTransaction());
        QCOMPARE(Count(db, "id = 203"), int64_t(0));
    }

    void notificationsReachTheListener() {
        Connection listener, sender;
        openAlbum(listener);
        openAlbum(sender);
        Notifications notifications(listener);
        QSignalSpy spy(&notifications, &Notifications::notified);
        QVERIFY(notifications.listen("Album changed").ok());
        for (const char* channel : {"other album", "Album changed"})
            QVERIFY(sender.execParams("SELECT pg_notify($1, $2)", {QString(channel), QString("7")})
                        .ok());
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Album changed"));
        QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("7"));
    }

    // Last: it stops the server and starts it again.
    void serverGoneUnderOpenConnection() {
        Connection db, listener;
        openAlbum(db);
        openAlbum(listener);
        Notifications notifications(listener);
        QSignalSpy lost(&notifications, &Notifications::connectionLost);
        QVERIFY(notifications.listen("Album changed").ok());

        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        QTRY_COMPARE(lost.size(), 1);
        const Result r = db.exec("SELECT 1");
        QCOMPARE(r.error().kind, ErrorKind::ConnectionLost);
        QCOMPARE(db.error().kind, ErrorKind::ConnectionLost);
        QVERIFY(!db.isOpen());
        QCOMPARE(db.open(album(), kAlicePassword).kind, ErrorKind::Unreachable);

        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        openAlbum(db);
        QCOMPARE(Count(db, "id = 201"), int64_t(1));
        QCOMPARE(lost.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPostgres)
#include "tst_postgres.moc"
