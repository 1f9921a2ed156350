// The album file: creation, the checks before use, records and orders, media, passwords,
// compaction and repair, on real SQLCipher files in a temporary folder.

#include "AlbumTestData.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumRecordset.h"
#include "platform/sqlite/SqliteDb.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

namespace {

AlbumCondition openCondition(const QString& path, const OpenOptions& options = {}) {
    AlbumStatus s;
    auto album = AlbumDb::open(path, options, &s);
    return s.condition;
}

// Every order's rows with all their texts, as the grid would show them.
QString allOrders(AlbumDb& album) {
    QStringList out;
    for (int order = 0; order < AlbumQuery::OrderCount; ++order) {
        AlbumRecordset rs(album, {order, "sea", "o'neil"});
        for (qint64 i = 0; i < rs.recordCount(); ++i) {
            const auto r = rs.recordAt(i);
            if (!r)
                return "unreadable";
            out << QStringList{QString::number(order),
                               QString::number(r->rowId),
                               r->date.toString(Qt::ISODate),
                               r->soundType,
                               r->imageFile,
                               r->imageFormat,
                               r->imageProperties,
                               r->keywords,
                               r->description}
                       .join('|');
        }
    }
    return out.join('\n');
}

void fillVaried(AlbumDb& album, const QString& picture) {
    const char* names[] = {"zebra.jpg", "Apple.png", "édith.gif", "banana.bmp", "apple.PNG"};
    for (int i = 0; i < 25; ++i) {
        PictureRecord r =
            makeRecord(QString::fromUtf8(names[i % 5]) + QString::number(i),
                       i % 4 ? QDate(2000 + i % 3, 1, 1) : QDate(), i % 2 ? "Seaside" : "mountain",
                       i % 3 ? "O'Neil at the pier" : QString());
        r.imageFormat = i % 2 ? "10 JPEG" : "75 png";
        qint64 id = 0;
        QVERIFY(album.addRecord(r, i % 2 ? picture : QString(), &id).ok());
        if (i % 5 == 0)
            QVERIFY(album.storeBytes(id, PictureField::SoundFile, QByteArray(i + 1, 'w')).ok());
    }
}

} // namespace

class TestAlbum : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void createAsksTheDuplicateQuestionOnce() {
        for (bool allow : {true, false}) {
            const QString file = path(allow ? "allows.mdb" : "family.mdb");
            ScriptedPromptService prompts;
            prompts.expectMessage(QStringLiteral("ALLOW DUPLICATE IMAGE FILE NAMES"),
                                  allow ? MsgResult::Yes : MsgResult::No);
            QVERIFY(CreateAlbumAsking(file, prompts).ok());
            QCOMPARE(prompts.asked().first().style, 292);
            QCOMPARE(prompts.asked().first().text,
                     "Do you allow duplicate image file names in this Image Depository?\n\n(HINT: "
                     "Saying No will help avoiding having duplicate pictures in the \"" +
                         QFileInfo(file).fileName() + "\"album)");
            // The answer decides whether a name differing only in case is refused.
            auto album = openAlbum(file);
            QVERIFY(album);
            QVERIFY(album->addRecord(makeRecord("Beach.jpg")).ok());
            QCOMPARE(album->addRecord(makeRecord("beach.JPG")).condition,
                     allow ? AlbumCondition::None : AlbumCondition::DuplicateKey);
            QCOMPARE(album->rowCount(), allow ? 2 : 1);
        }
        // An existing file: nothing asked, nothing changed.
        const QString file = path("family.mdb");
        const QByteArray before = readFile(file);
        ScriptedPromptService silent;
        QCOMPARE(CreateAlbumAsking(file, silent).condition, AlbumCondition::FileExists);
        QCOMPARE(readFile(file), before);
        // One file at rest, after creation and after a write.
        QCOMPARE(filesIn(m_dir.path()), (QStringList{"allows.mdb", "family.mdb"}));
    }

    void textFieldsRefuseOverlongValues() {
        auto album = newAlbum(path("limits.mdb"), true);
        QVERIFY(album);
        const struct {
            QString PictureRecord::*member;
            int size;
        } fields[] = {{&PictureRecord::soundType, 128},
                      {&PictureRecord::imageFile, 128},
                      {&PictureRecord::imageFormat, 55},
                      {&PictureRecord::imageProperties, 80},
                      {&PictureRecord::keywords, 128}};
        for (const auto& f : fields) {
            PictureRecord r = makeRecord("x.jpg");
            r.*f.member = QString(f.size, QChar(u'é'));
            QVERIFY(album->addRecord(r).ok());
            r.*f.member += u'x';
            QCOMPARE(album->addRecord(r).condition, AlbumCondition::FieldTooLong);
        }
        PictureRecord memo = makeRecord("memo.jpg");
        memo.description = QString(100000, u'd');
        qint64 id = 0;
        QVERIFY(album->addRecord(memo, {}, &id).ok());
        QCOMPARE(album->record(id)->description, memo.description);
        QCOMPARE(album->addRecord(makeRecord(QString())).condition, AlbumCondition::EmptyKey);
        memo.rowId = id;
        memo.keywords = QString(129, u'k');
        QCOMPARE(album->updateRecord(memo).condition, AlbumCondition::FieldTooLong);
        QCOMPARE(album->rowCount(), 6);
    }

    // Files of other kinds, and our own with objects we do not know (those we let be:
    // tst_orders).
    void notAnAlbumIsRefusedUntouched_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sql"); // run on a new album of ours
        for (const char* name :
             {"empty.mdb", "text.mdb", "photo.mdb", "contacts.mdb", "fields.mdb"})
            QTest::newRow(name) << QString(name) << QString();
        const char* const objects[][2] = {
            {"another table", "CREATE TABLE Notes (t TEXT)"},
            {"an index on an expression", "CREATE INDEX mine ON Pictures (lower(Keywords))"},
            {"a partial index", "CREATE INDEX mine ON Pictures (Keywords) WHERE Keywords > 'a'"},
            {"our index name on another expression",
             "DROP INDEX Pictures_Names; CREATE INDEX Pictures_Names ON Pictures "
             "(upper(ImageFile))"},
            {"our hash table with other columns",
             "DROP TABLE ContentHashes; CREATE TABLE ContentHashes (ID INTEGER PRIMARY KEY, "
             "Sha256 BLOB, Note TEXT)"},
            {"a trigger",
             "CREATE TRIGGER t AFTER INSERT ON Pictures BEGIN DELETE FROM Pictures; END"},
            {"a view", "CREATE VIEW v AS SELECT * FROM Pictures"}};
        for (const auto& [tag, sql] : objects)
            QTest::newRow(tag) << QString(tag).replace(' ', '_') + ".mdb" << QString(sql);
    }

    void notAnAlbumIsRefusedUntouched() {
        QFETCH(QString, name);
        QFETCH(QString, sql);
        const QString file = path(name);
        if (name == "empty.mdb") {
            QVERIFY(writeFile(file, {}));
        } else if (name == "text.mdb") {
            QVERIFY(writeFile(file, QByteArray("Shopping list:\nbread\nmilk\n").repeated(300)));
        } else if (name == "photo.mdb") {
            QImage image(320, 200, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(file, "JPG"));
        } else {
            QVERIFY(sql.isEmpty() || AlbumDb::create(file, false).ok());
            sqlite::Database db;
            QVERIFY(db.open(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).ok());
            QVERIFY(db.exec(!sql.isEmpty() ? sql
                            : name == "fields.mdb"
                                ? "CREATE TABLE Pictures (Date, Image, ImageFile)"
                                : "CREATE TABLE Contacts (Name TEXT, Phone TEXT);"
                                  "INSERT INTO Contacts VALUES ('Ann', '555')")
                        .ok());
        }
        const QByteArray before = readFile(file);
        QCOMPARE(openCondition(file), AlbumCondition::NotAnAlbum);
        QCOMPARE(openCondition(file, {true, {}}), AlbumCondition::NotAnAlbum);
        QCOMPARE(openCondition(file, {false, "secret"}), AlbumCondition::NotAnAlbum);
        QCOMPARE(RepairAlbumFile(file, {}).status.condition, AlbumCondition::NotAnAlbum);
        QCOMPARE(readFile(file), before);
        QVERIFY(!QFile::exists(file + "-journal"));
    }

    void ordersSortAndFilterForEveryLanguage() {
        auto album = newAlbum(path("orders.mdb"), true);
        QVERIFY(album);
        const struct {
            const char* name;
            QDate date;
            const char* format;
            const char* keywords;
            const char* description;
        } rows[] = {
            {"zebra.jpg", {2021, 3, 1}, "10 JPEG", "Seaside, beach", "O'Neil at the pier"},
            {"Apple.png", {1999, 12, 31}, "75 PNG", "ÄRGER im Büro", "winter"},
            {"édith.gif", {2021, 3, 2}, "84 GIF", "mountain", "ÉTÉ À PARIS"},
            {"banana.bmp", {2010, 1, 1}, "06 BMP", nullptr, nullptr},
        };
        for (const auto& r : rows) {
            PictureRecord record =
                makeRecord(QString::fromUtf8(r.name), r.date, QString::fromUtf8(r.keywords),
                           QString::fromUtf8(r.description));
            record.imageFormat = r.format;
            QVERIFY(album->addRecord(record).ok());
        }
        auto run = [&](int order, const QString& k = {}, const QString& d = {}) {
            return textsInOrder(*album, {order, k, d}).join(',');
        };
        QCOMPARE(run(0), "Apple.png,banana.bmp,zebra.jpg,édith.gif");
        QCOMPARE(run(1), "édith.gif,zebra.jpg,banana.bmp,Apple.png");
        QCOMPARE(run(2), "Apple.png,banana.bmp,édith.gif,zebra.jpg");
        QCOMPARE(run(3), "zebra.jpg,édith.gif,banana.bmp,Apple.png");
        QCOMPARE(run(4), "banana.bmp,zebra.jpg,Apple.png,édith.gif");
        QCOMPARE(run(5), "édith.gif,Apple.png,zebra.jpg,banana.bmp");
        QCOMPARE(run(6, "sea"), "zebra.jpg");
        QCOMPARE(run(7, "ärger"), "Apple.png");
        QCOMPARE(run(8, {}, "été à"), "édith.gif");
        QCOMPARE(run(9, {}, "o'neil"), "zebra.jpg");
        QCOMPARE(run(6, "x' OR 1=1 --"), "");
        QCOMPARE(run(8, {}, "in?er"), "Apple.png");
        QCOMPARE(run(6, ""), "Apple.png,zebra.jpg,édith.gif"); // a Null field never matches
    }

    void recordsetMovesFindsAndEdits() {
        auto album = newAlbum(path("moves.mdb"), false);
        QVERIFY(album);
        AlbumRecordset empty(*album, {0, {}, {}});
        QCOMPARE(empty.recordCount(), 0);
        QCOMPARE(empty.moveLast().condition, AlbumCondition::NoCurrentRecord);
        QCOMPARE(empty.deleteCurrent().condition, AlbumCondition::NoCurrentRecord);

        for (int i = 0; i < 5; ++i)
            QVERIFY(album->addRecord(makeRecord(QString("p%1.jpg").arg(i), QDate(2000 + i, 1, 1)))
                        .ok());
        const qint64 third = 3; // row ids count from 1
        AlbumRecordset rs(*album, {1, {}, {}});
        QCOMPARE(rs.recordCount(), 5);
        QCOMPARE(rs.position(), 0);
        QCOMPARE(rs.current()->imageFile, "p4.jpg");
        QVERIFY(rs.moveLast().ok());
        QCOMPARE(rs.moveNext().condition, AlbumCondition::NoCurrentRecord);
        QCOMPARE(rs.current()->imageFile, "p0.jpg");
        QVERIFY(rs.findRowId(third).ok());
        QCOMPARE(rs.position(), 2);
        QCOMPARE(rs.findRowId(99999).condition, AlbumCondition::NoCurrentRecord);

        PictureRecord edit = *rs.current();
        edit.description = "edited";
        edit.imageFile = "p0.jpg";
        QCOMPARE(rs.updateCurrent(edit).condition, AlbumCondition::DuplicateKey);
        edit.imageFile = "renamed.jpg";
        QVERIFY(rs.updateCurrent(edit).ok());
        QCOMPARE(album->record(third)->description, "edited");

        QVERIFY(rs.deleteCurrent().ok());
        QCOMPARE(rs.recordCount(), 4);
        QCOMPARE(rs.current()->imageFile, "p1.jpg");
        QCOMPARE(album->record(third).has_value(), false);
        QCOMPARE(album->deleteRecord(third).condition, AlbumCondition::NoCurrentRecord);
        edit.rowId = third;
        QCOMPARE(album->updateRecord(edit).condition, AlbumCondition::NoCurrentRecord);

        QVERIFY(album->addRecord(makeRecord("late.jpg", QDate(2030, 1, 1))).ok());
        QVERIFY(rs.requery().ok());
        QCOMPARE(rs.recordCount(), 5);
        QCOMPARE(rs.current()->imageFile, "p1.jpg"); // the current row survives a requery
    }

    void orderIndexesCoverEveryOrder() {
        auto album = newAlbum(path("covering.mdb"), false);
        QVERIFY(album);
        const OrderIndexes& indexes = album->orderIndexes();
        QVERIFY(indexes.texts && indexes.names && indexes.formats);
        // No order, sort or filter reads the table, whose rows carry the pictures, and every one
        // comes out of its index in order, a screen at a time, without a sort.
        const char* const used[] = {"Pictures_Texts", "Pictures_Texts",   "Pictures_Names",
                                    "Pictures_Names", "Pictures_Formats", "Pictures_Formats"};
        for (int order = 0; order < AlbumQuery::OrderCount; ++order) {
            const AlbumQuery query{order, "k", "d"};
            QVERIFY(query.streamsFromIndex(indexes));
            for (const QString& sql : {query.blockSql(indexes), query.seekSql(indexes, false)}) {
                sqlite::Statement plan = album->connection().prepare("EXPLAIN QUERY PLAN " + sql);
                QVERIFY(plan.isValid());
                QStringList steps;
                while (plan.step() == SQLITE_ROW)
                    steps << plan.text(3);
                const QString joined = steps.join(';');
                QVERIFY2(joined.contains(QString("USING COVERING INDEX ") +
                                         (order < 6 ? used[order] : "Pictures_Texts")) &&
                             !joined.contains("USING INTEGER PRIMARY KEY") &&
                             !joined.contains("TEMP B-TREE"),
                         qPrintable(joined));
            }
        }
    }

    void olderAlbumsGetTheIndexesOrFallBack() {
        const QString picture = path("older-picture.bin");
        QVERIFY(writeFile(picture, randomBytes(200000, 3)));
        for (bool unique : {true, false}) {
            const QString file = path(unique ? "older-unique.mdb" : "older-dups.mdb");
            QString expected;
            {
                auto album = newAlbum(file, !unique);
                QVERIFY(album);
                fillVaried(*album, picture);
                expected = allOrders(*album);
                // As an earlier build left it: no order indexes, no key version.
                QVERIFY(album->connection()
                            .exec("DROP INDEX Pictures_Texts; DROP INDEX Pictures_Names; "
                                  "DROP INDEX Pictures_Formats; PRAGMA user_version = 0")
                            .ok());
            }
            // Read-only: the album is not changed and the table answers the same.
            const QByteArray before = readFile(file);
            {
                auto reader = openAlbum(file, {}, true);
                QVERIFY(reader && !reader->orderIndexes().texts && !reader->orderIndexes().names &&
                        !reader->orderIndexes().formats);
                QCOMPARE(allOrders(*reader), expected);
            }
            QCOMPARE(readFile(file), before);
            // Writable: the indexes are added, the answers stay, the duplicate rule is kept.
            auto album = openAlbum(file);
            QVERIFY(album && album->orderIndexes().texts && album->orderIndexes().names &&
                    album->orderIndexes().formats);
            QCOMPARE(allOrders(*album), expected);
            QCOMPARE(album->addRecord(makeRecord("ZEBRA.JPG0")).condition,
                     unique ? AlbumCondition::DuplicateKey : AlbumCondition::None);
            QVERIFY(album->integrityCheck().ok());
            album.reset();
            QCOMPARE(filesIn(m_dir.path()).filter("-journal").size(), 0);
        }
    }

    // A screen read shows what the album holds, changed through the recordset, the album or
    // another connection, before or after the screen was read.
    void recordsetShowsWhatTheAlbumHolds() {
        const QString file = path("screens.mdb");
        auto album = newAlbum(file, true);
        QVERIFY(album);
        {
            sqlite::Transaction tx(album->connection());
            for (int i = 0; i < 300; ++i) {
                PictureRecord r =
                    makeRecord(QStringLiteral("p%1.jpg").arg(299 - i, 3, 10, QLatin1Char('0')));
                r.date = QDate(2020, 1, 1).addDays(i % 7); // many rows share a date
                r.keywords = QString::number(i);
                QVERIFY(album->addRecord(r).ok());
            }
            QVERIFY(tx.commit().ok());
        }
        for (int order : {0, 1}) {
            AlbumRecordset rs(*album, {order, {}, {}});
            QCOMPARE(rs.recordCount(), album->rowCount());
            QVERIFY(rs.moveTo(250).ok());
            PictureRecord edit = *rs.recordAt(251); // its screen read
            edit.keywords = "by album";
            QVERIFY(album->updateRecord(edit).ok());
            QCOMPARE(rs.recordAt(251)->keywords, "by album");
            QVERIFY(rs.requery().ok()); // lets the other connection write
            edit.keywords = "by another";
            QVERIFY(openAlbum(file)->updateRecord(edit).ok() &&
                    openAlbum(file)->storeBytes(edit.rowId, PictureField::SoundFile, "sound").ok());
            QCOMPARE(rs.recordAt(251)->keywords, "by another");
            QVERIFY(rs.moveTo(251).ok());
            QCOMPARE(rs.current()->soundSize, 5);
            // Edited and deleted before their screen is read.
            edit = *album->record(rs.currentRowId());
            edit.imageFile = "aaa-renamed.jpg"; // moves it within its date in the index
            QVERIFY(rs.updateCurrent(edit).ok());
            QVERIFY(rs.moveTo(200).ok() && rs.deleteCurrent().ok());
            QDate previous;
            for (qint64 p = rs.recordCount() - 1; p >= 0; --p) {
                const auto seen = rs.recordAt(p);
                const auto held = album->record(rs.rowIdAt(p));
                QVERIFY(seen && held);
                QCOMPARE(seen->imageFile, held->imageFile);
                QCOMPARE(seen->keywords, held->keywords);
                QCOMPARE(seen->date, held->date);
                if (p < 198 && previous.isValid()) // away from the edited rows, dates in order
                    QVERIFY(order == 0 ? seen->date <= previous : seen->date >= previous);
                previous = seen->date;
            }
        }
    }

    void extractWritesTheFieldBackUnchanged() {
        auto album = newAlbum(path("media.mdb"), true);
        QVERIFY(album);
        const QString out = path("image.pic");
        for (qint64 size : {qint64(1), qint64(3 * 1024 * 1024 + 17)}) { // one piece, several
            const QByteArray bytes = randomBytes(size, quint32(size));
            QVERIFY(writeFile(path("source.bin"), bytes));
            qint64 id = 0;
            QVERIFY(album->addRecord(makeRecord("m.jpg"), path("source.bin"), &id).ok());
            QCOMPARE(album->fieldSize(id, PictureField::Image), size);
            QCOMPARE(album->extractToFile(id, PictureField::Image, out), size);
            QCOMPARE(readFile(out), bytes);

            // A sound stored later, streamed into its own field.
            QVERIFY(album->storeFile(id, PictureField::SoundFile, path("source.bin")).ok());
            QCOMPARE(album->record(id)->soundSize, size);
            QCOMPARE(album->extractToFile(id, PictureField::SoundFile, path("sound.mtm")), size);
            QCOMPARE(readFile(path("sound.mtm")), bytes);
        }
        // An empty field gives 0 and leaves the old work file as it was.
        qint64 blank = 0;
        QVERIFY(album->addRecord(makeRecord("blank.jpg"), {}, &blank).ok());
        const QByteArray previous = readFile(out);
        QCOMPARE(album->extractToFile(blank, PictureField::Image, out), 0);
        QCOMPARE(album->extractToFile(blank, PictureField::Thumbnail, out), 0);
        QCOMPARE(readFile(out), previous);
        // Errors come back negated.
        QCOMPARE(album->extractToFile(999, PictureField::Image, out), -3021);
        QCOMPARE(album->extractToFile(1, PictureField::Image, path("no/such/dir/x")), -75);
        QCOMPARE(album->storeFile(999, PictureField::Image, path("source.bin")).condition,
                 AlbumCondition::NoCurrentRecord);
        QCOMPARE(album->storeFile(1, PictureField::Image, path("missing.bin")).condition,
                 AlbumCondition::PathAccess);
        QVERIFY(album->storeBytes(1, PictureField::SoundFile, {}).ok());
        QCOMPARE(album->record(1)->soundSize, 0);
    }

    void passwordEncryptsAndGuards() {
        const QString file = path("secret.mdb");
        const QByteArray picture = QByteArray("PICTUREMARKER-").repeated(5000);
        QVERIFY(writeFile(path("pic.bin"), picture));
        {
            auto album = newAlbum(file);
            QVERIFY(album);
            QVERIFY(album
                        ->addRecord(makeRecord("HolidayMarker.jpg", QDate(2020, 1, 1),
                                               "KeywordMarker", "DescriptionMarker"),
                                    path("pic.bin"))
                        .ok());
        }
        QVERIFY(readFile(file).contains("KeywordMarker")); // plain before

        QVERIFY(ChangeAlbumPassword(file, {}, "first pass").ok());
        const QByteArray sealed = readFile(file);
        for (const char* marker : {"PICTUREMARKER", "HolidayMarker", "KeywordMarker",
                                   "DescriptionMarker", "Pictures", "SQLite format"})
            QVERIFY2(!sealed.contains(marker), marker);
        QCOMPARE(filesIn(m_dir.path()).filter("secret"), QStringList{"secret.mdb"});
        // Our cipher settings, and nothing else opens it.
        QVERIFY(readsWith(file, "first pass", kOurSettings));
        QVERIFY(!readsWith(file, "first pass", "PRAGMA cipher_page_size = 65536"));
        QVERIFY(!readsWith(file, "first pass", "PRAGMA cipher_compatibility = 3"));

        QCOMPARE(openCondition(file), AlbumCondition::WrongPassword);
        QCOMPARE(openCondition(file, {true, "wrong"}), AlbumCondition::WrongPassword);
        QCOMPARE(ChangeAlbumPassword(file, "wrong", "x").condition, AlbumCondition::WrongPassword);
        QCOMPARE(readFile(file), sealed);

        QVERIFY(ChangeAlbumPassword(file, "first pass", "zweites Paßwort'").ok());
        QCOMPARE(openCondition(file, {false, "first pass"}), AlbumCondition::WrongPassword);
        {
            auto album = openAlbum(file, "zweites Paßwort'");
            QVERIFY(album && album->isEncrypted() && !album->hasVersion3Encryption());
            QCOMPARE(album->readBytes(1, PictureField::Image), picture);
            QCOMPARE(album->record(1)->keywords, "KeywordMarker");
        }
        QVERIFY(ChangeAlbumPassword(file, "zweites Paßwort'", {}).ok());
        auto plain = openAlbum(file);
        QVERIFY(plain && !plain->isEncrypted());
        QCOMPARE(plain->readBytes(1, PictureField::Image), picture);
        QCOMPARE(plain->allowsDuplicates(), false);
        // A password given for a plain album still opens it.
        plain.reset();
        QVERIFY(openAlbum(file, "anything"));
    }

    void compactKeepsBackupAndPassword() {
        const QString file = path("compact.mdb");
        QVERIFY(writeFile(path("big.bin"), randomBytes(600000, 7)));
        {
            auto album = newAlbum(file);
            QVERIFY(album);
            for (int i = 0; i < 6; ++i)
                QVERIFY(
                    album->addRecord(makeRecord(QString("c%1.jpg").arg(i)), path("big.bin")).ok());
        }
        QVERIFY(ChangeAlbumPassword(file, {}, "pw").ok());
        {
            auto album = openAlbum(file, "pw");
            for (int i = 1; i <= 4; ++i)
                QVERIFY(album->deleteRecord(i).ok());
        }
        const qint64 before = QFileInfo(file).size();
        CompactReport r = CompactAlbumFile(file, "pw");
        QVERIFY2(r.status.ok(), qPrintable(r.status.text()));
        // The report, the backup's bytes and the password kept are checked through the window in
        // tst_maintenance; here the rows and the rules.
        QCOMPARE(r.newSize, QFileInfo(file).size());
        QVERIFY(r.newSize < before / 2);
        {
            auto album = openAlbum(file, "pw");
            QVERIFY(album);
            QCOMPARE(album->rowCount(), 2);
            QCOMPARE(album->readBytes(6, PictureField::Image), randomBytes(600000, 7));
            QCOMPARE(album->allowsDuplicates(), false);
        }
        // Twice in a row: the second backup replaces the first.
        CompactReport again = CompactAlbumFile(file, "pw");
        QVERIFY(again.status.ok());
        QCOMPARE(QFileInfo(again.backupPath).size(), r.newSize);
        // A wrong password leaves the album where it was.
        const QByteArray kept = readFile(file);
        QCOMPARE(CompactAlbumFile(file, "bad").status.condition, AlbumCondition::WrongPassword);
        QCOMPARE(readFile(file), kept);
    }

    void damagedAlbumIsReportedAndRepaired_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("truncate");
        QTest::newRow("truncated") << QString() << true;
        QTest::newRow("garbage pages") << QString() << false;
        QTest::newRow("garbage pages, password") << QString("pw") << false;
    }

    void damagedAlbumIsReportedAndRepaired() {
        QFETCH(QString, password);
        QFETCH(bool, truncate);
        const QString file = path(QString("damaged-%1-%2.mdb").arg(password).arg(truncate));
        const int rows = 60;
        {
            auto album = newAlbum(file, true);
            QVERIFY(album);
            for (int i = 0; i < rows; ++i)
                QVERIFY(album
                            ->addRecordBytes(makeRecord(QString("r%1.jpg").arg(i)),
                                             randomBytes(20000 + i * 1000, quint32(i)))
                            .ok());
        }
        if (!password.isEmpty())
            QVERIFY(ChangeAlbumPassword(file, {}, password).ok());
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 pages = f.size() / AlbumDb::PageSize;
            if (truncate) {
                QVERIFY(f.resize((pages * 2 / 3) * AlbumDb::PageSize + 1000));
            } else {
                for (qint64 page : {pages / 3, pages / 2, pages - 3}) {
                    f.seek(page * AlbumDb::PageSize);
                    f.write(randomBytes(AlbumDb::PageSize, quint32(page)));
                }
            }
        }
        AlbumStatus s;
        auto album = AlbumDb::open(file, {false, password}, &s);
        if (album)
            s = album->integrityCheck();
        album.reset();
        QCOMPARE(s.condition, AlbumCondition::Damaged);

        const RepairReport r = RepairAlbumFile(file, password);
        QVERIFY2(r.status.ok(), qPrintable(r.status.text()));
        QVERIFY(r.wasDamaged);
        QVERIFY(r.rowsSaved > rows / 3);
        QVERIFY(r.rowsLost > 0);
        QVERIFY(r.rowsSaved < rows);
        QVERIFY(r.message(file).startsWith(file + " repaired."));
        album = openAlbum(file, password);
        QVERIFY(album);
        QVERIFY(album->integrityCheck().ok());
        QCOMPARE(album->rowCount(), r.rowsSaved);
        AlbumRecordset rs(*album, {2, {}, {}});
        for (qint64 i = 0; i < rs.recordCount(); ++i) {
            const auto rec = rs.recordAt(i);
            bool named = false;
            const int n = rec->imageFile.mid(1).section('.', 0, 0).toInt(&named);
            // Without a password a page has no checksum: a garbage row may read as garbage, and
            // only the sizes of the others can be checked.
            const QByteArray bytes = album->readBytes(rec->rowId, PictureField::Image);
            QVERIFY(named || password.isEmpty());
            if (!named)
                continue;
            if (password.isEmpty())
                QCOMPARE(bytes.size(), 20000 + n * 1000);
            else
                QCOMPARE(bytes, randomBytes(20000 + n * 1000, quint32(n)));
        }
        QVERIFY(QFile::exists(file + ".damaged"));
        // A sound album is left as it is.
        album.reset();
        const QByteArray healthy = readFile(file);
        const RepairReport clean = RepairAlbumFile(file, password);
        QVERIFY(clean.status.ok() && !clean.wasDamaged);
        QCOMPARE(clean.rowsSaved, r.rowsSaved);
        QCOMPARE(readFile(file), healthy);
    }
};

QTEST_GUILESS_MAIN(TestAlbum)
#include "tst_album.moc"
