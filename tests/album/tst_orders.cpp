// The orders: sort keys that read like people read (numbers by value, without case or accents
// for every script), kept in the album's indexes and rebuilt when they were made by another key
// version; the filters' match; and the schema check that knows our own objects.

#include "AlbumTestData.h"
#include "album/AlbumDb.h"
#include "album/AlbumFunctions.h"
#include "album/AlbumRecordset.h"
#include "album/SortKey.h"
#include "common/Wildcard.h"

#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

class TestOrders : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void keysReadLikePeople_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        const char* const pairs[][3] = {
            {"numbers by value", "IMG_9.jpg", "IMG_10.jpg"},
            {"long numbers", "scan 99999999999999999999", "scan 100000000000000000000"},
            {"fewer leading zeros first", "7", "07"},
            {"zeros do not count", "07", "8"},
            {"Arabic-Indic digits", "صورة ٣", "صورة 10"},
            {"case only breaks ties", "apple.png", "Apple.png"},
            {"case never beats a letter", "Apple.png", "apples.png"},
            {"accent only breaks ties", "edith", "édith"},
            {"accent never beats a letter", "édith", "edward"},
            {"umlaut with its letter", "Äpfel", "apple"},
            {"sharp s as ss", "strassd", "Straße"},
            {"wide letters", "ＡＢＣ", "abd"},
            {"Greek without case", "αλφα", "ΒΗΤΑ"},
            {"shorter first", "a", "a b"},
            {"space before letters", "a b", "ab"},
            {"empty first", "", " "}};
        for (const auto& p : pairs)
            QTest::newRow(p[0]) << QString::fromUtf8(p[1]) << QString::fromUtf8(p[2]);
    }

    void keysReadLikePeople() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const QByteArray a = NameSortKey(first);
        const QByteArray b = NameSortKey(second);
        QVERIFY2(a < b, qPrintable(first + " / " + second));
        QCOMPARE(NameSortKey(first), a); // the same text, the same key
    }

    void keysNeverChange() {
        // Albums keep these keys in their indexes: a different key for the same text would make
        // those indexes disagree with the table. A new key needs a new version and index names.
        QCOMPARE(NameSortKey(QString::fromUtf8("Été_07.JPG")).toHex(),
                 QByteArray("6574655f300102372e6a706700cc810101cc81010103010101010100020101010101"
                            "020202"));
    }

    // A large album's order or filter reads its ids as positions need them, and each block of
    // texts from the row before it: read on, read backwards and jumped into, every position holds
    // the same row with its own texts, sorted, Null leading terms included.
    void largeOrdersReadTheSameRowsWhicheverWayTheyAreRead() {
        const QString file = path("large.mdb");
        QVERIFY(AlbumDb::create(file, true).ok());
        auto album = AlbumDb::open(file, {}, nullptr);
        constexpr int kRows = 5000;
        qint64 keywordsWith7 = 0;
        {
            sqlite::Transaction tx(album->connection());
            for (int i = 0; i < kRows; ++i) {
                // Few dates and formats, so that many rows share a leading term; some Null.
                PictureRecord r = makeRecord(QStringLiteral("P%1.jpg").arg((i * 7919) % kRows),
                                             i % 5 ? QDate(2020, 1, 1).addDays(i % 7) : QDate());
                r.imageFormat = i % 11 == 0 ? QString() : QStringLiteral("%1 F").arg(i % 3);
                r.keywords = QString::number(i);
                keywordsWith7 += r.keywords.contains('7');
                r.description = i % 3 ? QStringLiteral("Sunset") : QStringLiteral("Dawn");
                QVERIFY(album->addRecord(r).ok());
            }
            QVERIFY(tx.commit().ok());
        }
        for (int order = 0; order < AlbumQuery::OrderCount; ++order) {
            // A filter's rows are found as its index is read: its count is known at the end.
            const AlbumQuery query{order, "7", "SUN"};
            auto matches = [&](const PictureRecord& r) {
                return order < 6 ||
                       (order < 8 ? r.keywords.contains('7')
                                  : r.description.contains("sun", Qt::CaseInsensitive));
            };
            const qint64 expected = order < 6 ? kRows : order < 8 ? keywordsWith7 : kRows * 2 / 3;
            AlbumRecordset ahead(*album, query);
            // Asked for a row before the first (the neighbours of the first record), it reads none.
            QVERIFY(!ahead.recordAt(-1) && !ahead.rowIdAt(-2) && !ahead.moveTo(-1).ok());
            QVERIFY2(!ahead.idsComplete(), "the ids were all read before the first screen");
            QCOMPARE(ahead.countKnown(), order < 6);
            QVERIFY(ahead.knownCount() >= std::min<qint64>(expected, 256));
            const auto seen = [](const std::optional<PictureRecord>& r) {
                return r ? QString::number(r->rowId) + '|' + r->imageFile + '|' + r->keywords
                         : QString();
            };
            QList<qint64> ids;
            QStringList texts;
            for (qint64 p = 0; p < expected; ++p) {
                const auto r = ahead.recordAt(p);
                QVERIFY(r && matches(*r));
                QCOMPARE(r->rowId, ahead.rowIdAt(p));
                ids << r->rowId;
                texts << seen(r);
            }
            QVERIFY(!ahead.recordAt(expected));
            QVERIFY(ahead.idsComplete() && ahead.countKnown());
            QCOMPARE(ahead.recordCount(), expected);
            QCOMPARE(QSet<qint64>(ids.begin(), ids.end()).size(), expected);
            // Sorted by the leading term; Null first going up, last going down.
            const bool up = order % 2 == 0;
            auto lead = [&](qint64 id) {
                const auto r = album->record(id);
                const QString text = order < 2 || order >= 6 ? r->date.toString(Qt::ISODate)
                                     : order < 4             ? r->imageFile
                                                             : r->imageFormat;
                return text.isNull() ? std::optional<QByteArray>() : NameSortKey(text);
            };
            for (int p = 1; p < expected; ++p) {
                const auto before = lead(ids[p - 1]), here = lead(ids[p]);
                QVERIFY2(up ? before <= here : (here <= before || !here),
                         qPrintable(QStringLiteral("order %1 at %2").arg(order).arg(p)));
            }
            // Backwards, each block is counted from the top; jumps land in the middle of one.
            AlbumRecordset back(*album, query);
            QList<qint64> visits;
            for (qint64 p = expected - 1; p >= 0; p -= 97)
                visits << p;
            for (const qint64 jump : {4500, 4563, 4564, 4700, 100})
                visits << jump % expected;
            for (const qint64 p : visits)
                QCOMPARE(seen(back.recordAt(p)), texts[p]);
        }
        // Read in idle time to the end, the album's read lock goes: another connection writes.
        AlbumRecordset idle(*album, {0, {}, {}});
        while (idle.readMoreIds(5)) {
        }
        QCOMPARE(idle.rowIdAt(kRows - 1) != 0, true);
        auto other = AlbumDb::open(file, {}, nullptr);
        other->setBusyTimeout(0);
        QVERIFY(other->addRecord(makeRecord("after.jpg")).ok());
        other.reset();
        // A renamed picture moves to its place in the names' natural order.
        AlbumRecordset names(*album, {2, {}, {}});
        QVERIFY(names.moveTo(1).ok()); // after "after.jpg"
        PictureRecord renamed = *names.current();
        QCOMPARE(renamed.imageFile, "P0.jpg");
        renamed.imageFile = "P10000.jpg";
        QVERIFY(names.updateCurrent(renamed).ok());
        QCOMPARE(textsInOrder(*album, {2, {}, {}}).last(), "P10000.jpg");
        QCOMPARE(textsInOrder(*album, {3, {}, {}}).first(), "P10000.jpg");
        QVERIFY(album->integrityCheck().ok());

        // Rows are found by id, dense ids or ids far apart.
        for (const bool farApart : {false, true}) {
            if (farApart)
                QVERIFY(
                    album->connection()
                        .exec("UPDATE Pictures SET rowid = rowid + 100000000 WHERE rowid % 2 = 0")
                        .ok());
            AlbumRecordset rows(*album, {1, {}, {}});
            for (qint64 p = rows.recordCount() - 1; p >= 0; p -= 37)
                QCOMPARE(rows.positionOf(rows.rowIdAt(p)), p);
            QCOMPARE(rows.positionOf(50000000), -1);
            QCOMPARE(rows.positionOf(900000000), -1);
        }
    }

    void keysOfAnotherVersionAreRebuilt() {
        const QString file = path("stale.mdb");
        QVERIFY(AlbumDb::create(file, true).ok());
        // Another build's keys: the same function name giving other bytes.
        {
            sqlite::Database raw;
            QVERIFY(raw.open(file, SQLITE_OPEN_READWRITE).ok());
            sqlite3_create_function_v2(
                raw.handle(), "q32_sortkey1", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                [](sqlite3_context* ctx, int, sqlite3_value** argv) {
                    // Reversed text: the names' order turned round.
                    QByteArray text(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])));
                    std::reverse(text.begin(), text.end());
                    sqlite3_result_blob(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                },
                nullptr, nullptr, nullptr);
            QVERIFY(raw.exec("INSERT INTO Pictures (Date, ImageFile) VALUES ('2020-01-01', 'ab'), "
                             "('2020-01-01', 'ba'), ('2020-01-01', 'ca')")
                        .ok());
            QVERIFY(raw.exec("PRAGMA user_version = 7").ok());
        }
        // Read-only, the stale keys are not touched; writable, they are made again.
        {
            auto reader = AlbumDb::open(file, {true, {}}, nullptr);
            QVERIFY(reader);
            QVERIFY(!reader->integrityCheck().ok());
        }
        auto album = AlbumDb::open(file, {}, nullptr);
        QVERIFY(album);
        QVERIFY(album->integrityCheck().ok());
        QCOMPARE(textsInOrder(*album, {2, {}, {}}), (QStringList{"ab", "ba", "ca"}));
        sqlite::Statement version = album->connection().prepare("PRAGMA user_version");
        QVERIFY(version.step() == SQLITE_ROW && version.int64(0) == SortKeyVersion());
    }

    void filtersMatchWithoutCase() {
        // The fast search of plain ASCII and the general match agree.
        const struct {
            const char* value;
            const char* pattern;
            bool match;
        } cases[] = {
            {"Seaside, beach", "*SEA*", true},        {"Seaside, beach", "*each*", true},
            {"Seaside, beach", "*beaches*", false},   {"Straße", "*STRA*", true},
            {"STRASSE", "*straße*", false},           {"Ærøskøbing", "*ærø*", true},
            {"photo 2021", "*20#1*", true},           {"photo 2021", "*20[1-3]1*", true},
            {"photo 2031", "*20[!3]1*", false},       {"xyz", "*", true},
            {"O'Neil at the pier", "*o'neil*", true}, {"", "**", true},
        };
        for (const auto& c : cases) {
            const QString value = QString::fromUtf8(c.value).toCaseFolded();
            QCOMPARE(
                WildcardMatch(value, QString::fromUtf8(c.pattern).toCaseFolded(), Wildcards::Album),
                c.match);
        }
        // A file pattern's "#" and "[" are characters of the name.
        QVERIFY(WildcardMatch(u"scan#1[a].jpg", u"scan#1[a]*", Wildcards::FileName));
        QVERIFY(!WildcardMatch(u"scan#1[a].jpg", u"scan#1[a]*", Wildcards::Album));
        QVERIFY(WildcardMatch(u"scan51a.jpg", u"scan#1[a]*", Wildcards::Album) &&
                WildcardMatch(u"ab", u"a*?", Wildcards::FileName) &&
                !WildcardMatch(u"a", u"a*?", Wildcards::FileName));
        const QString file = path("filters.mdb");
        QVERIFY(AlbumDb::create(file, true).ok());
        auto album = AlbumDb::open(file, {}, nullptr);
        for (const auto& c : cases)
            QVERIFY(album->addRecord(makeRecord("x.jpg", QDate(2020, 1, 1), c.value)).ok());
        for (const auto& c : cases) {
            QString k = QString::fromUtf8(c.pattern);
            k = k.mid(1, k.size() - 2); // the filter adds the stars again
            const QStringList found = textsInOrder(*album, {6, k, {}}, &PictureRecord::keywords);
            QVERIFY2(found.contains(QString::fromUtf8(c.value)) == c.match, c.pattern);
        }
    }

    // Objects of someone else's that leave the album ours (those that do not: tst_album).
    void schemaCheckKnowsOurOwnObjects() {
        int n = 0;
        for (const char* sql :
             {"CREATE INDEX mine ON Pictures (Keywords)",
              "DROP INDEX Pictures_Names; CREATE INDEX Pictures_Names ON Pictures (ImageFile)"}) {
            const QString file = path(QStringLiteral("schema%1.mdb").arg(++n));
            QVERIFY(AlbumDb::create(file, false).ok());
            {
                sqlite::Database raw;
                QVERIFY(raw.open(file, SQLITE_OPEN_READWRITE).ok() && raw.exec(sql).ok());
            }
            auto opened = openAlbum(file);
            QVERIFY(opened);
            // Usable, and an index that only borrows our name is not taken for ours.
            QCOMPARE(opened->orderIndexes().names, !QByteArray(sql).contains("Pictures_Names"));
            QVERIFY(opened->addRecord(makeRecord("IMG_10.jpg")).ok());
            QVERIFY(opened->addRecord(makeRecord("img_9.jpg")).ok());
            QCOMPARE(textsInOrder(*opened, {2, {}, {}}), (QStringList{"img_9.jpg", "IMG_10.jpg"}));
        }
    }
};

QTEST_GUILESS_MAIN(TestOrders)
#include "tst_orders.moc"
