// A server album against a private PostgreSQL 15 (tests/support/PgServer): made, opened and
// refused with the album's conditions, records and a large picture round-trip in pieces, the ten
// orders give the rows of a file album with the same records, a read-only role writes nothing,
// and several connections see each other's saves.

#include "AlbumTestData.h"
#include "PgServer.h"
#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"
#include "album/server/ServerAlbum.h"
#include "album/server/ServerAlbumWatch.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

namespace {

const QString kPassword = QStringLiteral("alb:um@/ ö");

// Hands out bytes in pieces of another size than the album stores, as a file read would.
class BytesReader : public FieldReader {
public:
    BytesReader(QByteArray bytes, int piece) : m_bytes(std::move(bytes)), m_piece(piece) {}
    qint64 size() const override { return m_bytes.isNull() ? -1 : m_bytes.size(); }
    AlbumStatus next(QByteArray& piece) override {
        piece = m_bytes.mid(m_at, m_piece);
        m_at += piece.size();
        return {};
    }

private:
    QByteArray m_bytes;
    int m_piece;
    qsizetype m_at = 0;
};

} // namespace

class TestServerAlbum : public QObject {
    Q_OBJECT
    std::unique_ptr<PgServer> m_server;
    int m_databases = 0;

    // A new empty database of alice's; its name.
    QString newDatabase() {
        const QString name = QStringLiteral("album%1").arg(++m_databases);
        return m_server->createDatabase(name, QStringLiteral("alice")) ? name : QString();
    }
    QString uri(const QString& db, const QString& user = QStringLiteral("alice")) const {
        return m_server->conninfo(db, user);
    }
    std::unique_ptr<ServerAlbum> open(const QString& db, bool readOnly = false,
                                      const QString& user = QStringLiteral("alice"),
                                      const QString& password = kPassword) {
        AlbumStatus s;
        auto album = ServerAlbum::open(uri(db, user), password, readOnly, &s);
        if (!album)
            qWarning() << "open failed:" << s.text();
        return album;
    }
    // psql's answer in the album's database.
    QString sql(const QString& db, const QString& query) { return m_server->psql(query, db); }

private slots:
    void initTestCase() {
        if (const QString why = PgServer::missingReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        qputenv("PGPASSFILE", "/nonexistent");
        qunsetenv("PGPASSWORD");
        qunsetenv("PGSERVICE");
        m_server = std::make_unique<PgServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        QVERIFY2(m_server->createRole("alice", kPassword) &&
                     m_server->createRole("rita", "rita", PgServer::Role::ReadOnly),
                 qPrintable(m_server->error()));
    }

    void opensOnlyAlbumsAndTellsWhy() {
        const QString db = newDatabase();
        QVERIFY(ServerAlbum::create(uri(db), kPassword, false).ok());
        QCOMPARE(ServerAlbum::create(uri(db), kPassword, true).condition,
                 AlbumCondition::FileExists);
        auto album = open(db);
        QVERIFY(album && !album->isReadOnly() && !album->allowsDuplicates());
        QVERIFY2(!album->location().contains("alb:um"), qPrintable(album->location()));

        // Another program's database is refused, and left as it was.
        const QString other = newDatabase();
        QVERIFY(!sql(other, "SET ROLE alice; CREATE TABLE notes (id int); "
                            "INSERT INTO notes VALUES (1)")
                     .isNull());
        const QString objects = "SELECT string_agg(relname, ',' ORDER BY relname) FROM pg_class "
                                "WHERE relnamespace = 'public'::regnamespace";
        const QString before = sql(other, objects);
        AlbumStatus s;
        QVERIFY(!ServerAlbum::open(uri(other), kPassword, false, &s));
        QCOMPARE(s.condition, AlbumCondition::NotAnAlbum);
        QCOMPARE(ServerAlbum::create(uri(other), kPassword, false).condition,
                 AlbumCondition::NotAnAlbum);
        QCOMPARE(sql(other, objects), before);
        QCOMPARE(sql(other, "SELECT count(*) FROM notes"), QStringLiteral("1"));

        QVERIFY(!ServerAlbum::open(uri(db), "wrong", false, &s));
        QCOMPARE(s.condition, AlbumCondition::WrongPassword);
        QVERIFY(!ServerAlbum::open(uri("no_such_album"), kPassword, false, &s));
        QCOMPARE(s.condition, AlbumCondition::FileNotFound);
        QTemporaryDir noServer;
        QVERIFY(!ServerAlbum::open(
            QStringLiteral("host=%1 port=5432 dbname=a user=alice").arg(noServer.path()), kPassword,
            false, &s));
        QCOMPARE(s.condition, AlbumCondition::ServerUnreachable);
        QVERIFY2(s.detail.contains(noServer.path()) && s.detail.contains("5432"),
                 qPrintable(s.detail));
    }

    void recordsAndPicturesRoundTripInPieces() {
        const QString db = newDatabase();
        QVERIFY(ServerAlbum::create(uri(db), kPassword, false).ok());
        auto album = open(db);
        QVERIFY(album);

        // 20 MB handed over in pieces of 700 KB, stored in pieces of 1 MiB, read back a piece at a
        // time.
        QByteArray picture(20 * 1000 * 1000, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(picture.data()),
                                      picture.size() / 4);
        picture += "and an odd end";
        BytesReader source(picture, 700 * 1024 + 3);
        PictureRecord big = makeRecord("Big.jpg", QDate(2021, 4, 5), "sun sea", "a long day");
        qint64 id = 0;
        AlbumStatus s = album->addRecordFrom(big, &source, &id);
        QVERIFY2(s.ok(), qPrintable(s.text()));
        auto field = album->readField(id, PictureField::Image, &s);
        QVERIFY(field);
        QCOMPARE(field->size(), qint64(picture.size()));
        QByteArray read;
        int pieces = 0;
        for (QByteArray piece; field->next(piece).ok() && !piece.isEmpty(); ++pieces) {
            QVERIFY(piece.size() <= ServerAlbum::PieceSize);
            read += piece;
        }
        QCOMPARE(pieces, 20);
        QVERIFY(read == picture);
        QCOMPARE(album->fieldSize(id, PictureField::Image), qint64(picture.size()));
        QCOMPARE(sql(db, "SELECT count(*), max(length(\"Bytes\")) FROM \"PicturePieces\""),
                 QStringLiteral("20|1048576"));
        QCOMPARE(sql(db, "SELECT encode(\"Sha256\", 'hex') FROM \"ContentHashes\""),
                 QString::fromLatin1(sha(picture).toHex()));

        std::optional<PictureRecord> r = album->record(id);
        QVERIFY(r && r->date == big.date && r->imageFile == big.imageFile);
        QVERIFY(r->soundType.isNull() && r->keywords == big.keywords);
        QCOMPARE(r->version, qint64(1));
        r->keywords = "moon";
        QVERIFY(album->updateRecord(*r).ok());
        QCOMPARE(album->record(id)->keywords, QStringLiteral("moon"));
        QCOMPARE(album->record(id)->version, qint64(2));

        // A new picture drops the thumbnail made from the old one and gets its own hash.
        QVERIFY(album->storeThumbnail(id, "jpeg").ok());
        QCOMPARE(album->thumbnail(id), QByteArray("jpeg"));
        BytesReader small("tiny", 3);
        QVERIFY(album->storeField(id, PictureField::Image, small).ok());
        QVERIFY(album->thumbnail(id).isEmpty());
        QCOMPARE(album->fieldSize(id, PictureField::Image), qint64(4));
        QCOMPARE(album->record(id)->version, qint64(3));
        QCOMPARE(sql(db, "SELECT encode(\"Sha256\", 'hex') FROM \"ContentHashes\""),
                 QString::fromLatin1(sha("tiny").toHex()));
        BytesReader none{QByteArray(), 1};
        QVERIFY(album->storeField(id, PictureField::SoundFile, none).ok());
        QCOMPARE(album->readField(id, PictureField::SoundFile, &s)->size(), qint64(-1));

        // The album's refusals.
        QCOMPARE(album->addRecordFrom(makeRecord("BIG.JPG"), nullptr).condition,
                 AlbumCondition::DuplicateKey);
        QCOMPARE(
            album->addRecordFrom(makeRecord(QString(129, QLatin1Char('x'))), nullptr).condition,
            AlbumCondition::FieldTooLong);
        PictureRecord kept = makeRecord("kept.jpg");
        kept.rowId = 100;
        QVERIFY(album->addRecordFrom(kept, nullptr, nullptr, true).ok());
        qint64 next = 0;
        QVERIFY(album->addRecordFrom(makeRecord("next.jpg"), nullptr, &next).ok());
        QCOMPARE(next, qint64(101));
        QCOMPARE(album->rowIds(0, 10), (QList<qint64>{id, 100, 101}));

        // Groups keep all or nothing, nested ones too.
        {
            auto outer = album->beginGroup(&s);
            QVERIFY(outer && album->addRecordFrom(makeRecord("g1.jpg"), nullptr).ok());
            {
                auto inner = album->beginGroup(&s);
                QVERIFY(inner && album->addRecordFrom(makeRecord("g2.jpg"), nullptr).ok());
            }
            QVERIFY(outer->commit().ok());
        }
        {
            auto dropped = album->beginGroup(&s);
            QVERIFY(album->deleteRecord(100).ok());
        }
        QCOMPARE(album->rowCount(), qint64(4));

        QVERIFY(album->deleteRecord(id).ok());
        QCOMPARE(album->deleteRecord(id).condition, AlbumCondition::NoCurrentRecord);
        album->record(id, &s);
        QCOMPARE(s.condition, AlbumCondition::NoCurrentRecord);
        QCOMPARE(sql(db, "SELECT count(*) FROM \"PicturePieces\""), QStringLiteral("0"));
    }

    void ordersFindTheRowsOfAFileAlbum() {
        struct Row {
            const char* name;
            int day; // -1: no date
            const char* format;
            const char* keywords;
            const char* description;
        };
        // Ties on every leading term, Null texts, case, accents and numbers.
        const Row rows[] = {
            {"IMG_10.jpg", 3, "10 JPEG", "sun, sea", "Beach"},
            {"img_9.jpg", 3, "10 JPEG", "Sun", "beach at noon"},
            {"Été.png", 1, "75 PNG", nullptr, "été"},
            {"ete.png", 1, "75 PNG", "ÉTÉ", nullptr},
            {"Zebra.gif", -1, "20 GIF", "zoo 2", ""},
            {"apple.PNG", 2, nullptr, "", "Apple tree"},
            {"Äpfel.jpg", 2, "10 JPEG", "äpfel", "[x] marks"},
            {"scan 007.tif", -1, "30 TIFF", "scan 7", "*"},
            {"scan 7.tif", 5, "30 TIFF", "scan 07", "seven"},
            {"b.jpg", 5, "10 JPEG", "sea", "Sun"},
            {"B2.jpg", 3, "10 jpeg", "s?n", "sunset"},
        };
        QTemporaryDir dir;
        auto file = newAlbum(dir.filePath("orders.mdb"));
        const QString db = newDatabase();
        QVERIFY(file && ServerAlbum::create(uri(db), kPassword, false).ok());
        auto album = open(db);
        QVERIFY(album);
        for (const Row& row : rows) {
            PictureRecord r;
            r.date = row.day < 0 ? QDate() : QDate(2020, 1, 1).addDays(row.day);
            r.imageFile = QString::fromUtf8(row.name);
            r.imageFormat = row.format ? QString::fromUtf8(row.format) : QString();
            r.keywords = row.keywords ? QString::fromUtf8(row.keywords) : QString();
            r.description = row.description ? QString::fromUtf8(row.description) : QString();
            QVERIFY(file->addRecord(r, {}, &r.rowId).ok());
            QVERIFY(album->addRecordFrom(r, nullptr, nullptr, true).ok());
        }

        const QStringList filters = {"sun", "ÉTÉ", "#", "[!a-s]", "", "s?n", "[x]", "*"};
        // Then again with keys made by an older build, which the owner's next open makes anew.
        for (const bool staleKeys : {false, true}) {
            if (staleKeys) {
                QVERIFY(!sql(db, "UPDATE \"Pictures\" SET \"FormatKey\" = \"NameKey\", "
                                 "\"NameKey\" = NULL; COMMENT ON TABLE \"Pictures\" IS "
                                 "'Quillon 32 album, sort keys 1'")
                             .isNull());
                album = open(db);
                QVERIFY(album);
            }
            for (int order = 0; order < AlbumQuery::OrderCount; ++order) {
                for (const QString& filter : order < 6 ? QStringList{QString()} : filters) {
                    AlbumQuery query;
                    query.order = order;
                    query.keywords = query.description = filter;
                    AlbumRecordset fileRows(*file, query);
                    QList<qint64> expected, found;
                    for (qint64 i = 0; i < fileRows.recordCount(); ++i)
                        expected << fileRows.rowIdAt(i);
                    QVERIFY(album
                                ->forEachRecord(query,
                                                [&](const PictureRecord& r) {
                                                    found << r.rowId;
                                                    return true;
                                                })
                                .ok());
                    QVERIFY2(
                        found == expected,
                        qPrintable(QStringLiteral("order %1, filter %2").arg(order).arg(filter)));
                }
            }
        }

        // Stopped early, the rest of the rows are not handed out and the album answers on.
        int seen = 0;
        QVERIFY(album->forEachRecord({}, [&](const PictureRecord&) { return ++seen < 3; }).ok());
        QCOMPARE(seen, 3);
        QCOMPARE(album->rowCount(), qint64(std::size(rows)));
    }

    void readOnlyWritesNothing() {
        const QString db = newDatabase();
        QVERIFY(ServerAlbum::create(uri(db), kPassword, true).ok());
        qint64 id = 0;
        QVERIFY(open(db)->addRecordFrom(makeRecord("one.jpg"), nullptr, &id).ok());

        // A role without the right to add, and the owner asking for read-only.
        auto reader = open(db, false, "rita", "rita");
        auto owner = open(db, true);
        for (ServerAlbum* album : {reader.get(), owner.get()}) {
            QVERIFY(album && album->isReadOnly());
            QVERIFY(album->allowsDuplicates());
            std::optional<PictureRecord> r = album->record(id);
            QVERIFY(r);
            r->keywords = "changed";
            BytesReader bytes("xyz", 3);
            AlbumStatus s;
            QVERIFY(!album->beginGroup(&s));
            for (const AlbumStatus& write :
                 {s, album->updateRecord(*r), album->addRecordFrom(makeRecord("two.jpg"), &bytes),
                  album->deleteRecord(id), album->storeField(id, PictureField::Image, bytes),
                  album->storeThumbnail(id, "jpeg")})
                QCOMPARE(write.condition, AlbumCondition::CannotWrite);
        }
        QCOMPARE(sql(db, "SELECT count(*), max(\"Version\") FROM \"Pictures\""),
                 QStringLiteral("1|1"));
        QCOMPARE(sql(db, "SELECT count(*) FROM \"Thumbnails\""), QStringLiteral("0"));
    }

    void secondSaveIsRefusedAndWatchersHearEveryChange() {
        const QString db = newDatabase();
        QVERIFY(ServerAlbum::create(uri(db), kPassword, false).ok());
        auto first = open(db);
        auto second = open(db);
        AlbumStatus s;
        auto watch = ServerAlbumWatch::open(uri(db), kPassword, &s);
        QVERIFY2(first && second && watch, qPrintable(s.text()));
        QSignalSpy changes(watch.get(), &ServerAlbumWatch::recordChanged);
        auto heard = [&](int at, qint64 id, ServerAlbumWatch::Kind kind) {
            return changes.size() > at && changes.at(at).at(0).toLongLong() == id &&
                   changes.at(at).at(1).value<ServerAlbumWatch::Kind>() == kind;
        };

        qint64 id = 0;
        QVERIFY(first->addRecordFrom(makeRecord("shared.jpg"), nullptr, &id).ok());
        QTRY_VERIFY(heard(0, id, ServerAlbumWatch::Kind::Added));
        std::optional<PictureRecord> mine = first->record(id);
        std::optional<PictureRecord> theirs = second->record(id);
        mine->keywords = "first";
        QVERIFY(first->updateRecord(*mine).ok());
        QTRY_VERIFY(heard(1, id, ServerAlbumWatch::Kind::Changed));

        theirs->keywords = "second";
        QCOMPARE(second->updateRecord(*theirs).condition, AlbumCondition::RecordChanged);
        const std::optional<PictureRecord> now = second->record(id);
        QCOMPARE(now->keywords, QStringLiteral("first"));
        QCOMPARE(now->version, mine->version + 1);
        theirs = now;
        theirs->keywords = "second";
        QVERIFY(second->updateRecord(*theirs).ok());
        QVERIFY(second->deleteRecord(id).ok());
        QTRY_VERIFY(heard(3, id, ServerAlbumWatch::Kind::Deleted));
        QVERIFY(heard(2, id, ServerAlbumWatch::Kind::Changed));
        QCOMPARE(changes.size(), 4);
    }

    // Last: it stops the server.
    void serverGoneUnderAnOpenAlbum() {
        const QString db = newDatabase();
        QVERIFY(ServerAlbum::create(uri(db), kPassword, false).ok());
        auto album = open(db);
        auto watch = ServerAlbumWatch::open(uri(db), kPassword, nullptr);
        QVERIFY(album && watch);
        QSignalSpy lost(watch.get(), &ServerAlbumWatch::connectionLost);

        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(watch->isLost());
        AlbumStatus s;
        QCOMPARE(album->rowCount(&s), qint64(-1));
        QCOMPARE(s.condition, AlbumCondition::ServerUnreachable);
        QVERIFY2(s.detail.contains("connection lost"), qPrintable(s.detail));
        QCOMPARE(album->addRecordFrom(makeRecord("late.jpg"), nullptr).condition,
                 AlbumCondition::ServerUnreachable);
    }
};

QTEST_GUILESS_MAIN(TestServerAlbum)
#include "tst_server_album.moc"
