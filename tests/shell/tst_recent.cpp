// Moving an album to the front of the recent list.

#include "shell/RecentAlbums.h"
#include "shell/RecordNavigation.h"

#include <QTest>

using namespace q32;

Q_DECLARE_METATYPE(q32::Step)

class TestRecent : public QObject {
    Q_OBJECT
private slots:
    void moves() {
        const RecentEntries start = {"&1 /a/one.mdb", "&2 /a/two.mdb", "&3 /a/three.mdb",
                                     "&4 /a/four.mdb"};
        // Already first: nothing to write (moves and case are walked by tst_browser).
        QVERIFY(!MoveToFront(start, "/a/one.mdb"));
        // A new album drops the old entry 4.
        QCOMPARE(*MoveToFront(start, "/Albums/Trip.MDB"),
                 (RecentEntries{"&1 /Albums/Trip.MDB", "&2 /a/one.mdb", "&3 /a/two.mdb",
                                "&4 /a/three.mdb"}));
        QCOMPARE(
            *MoveToFront(start, "/a/four.mdb"),
            (RecentEntries{"&1 /a/four.mdb", "&2 /a/one.mdb", "&3 /a/two.mdb", "&4 /a/three.mdb"}));
        // Factory captions move down like any entry, but name no album wherever they are (an
        // older list kept them in lower case); nor do blank entries.
        const auto fromFactory = MoveToFront(FactoryRecentEntries(), "/x.mdb");
        QCOMPARE((*fromFactory)[1], QStringLiteral("&2 Database File 1"));
        QCOMPARE(RecentPath("&1 Database File 1"), QStringLiteral("Database File 1"));
        QVERIFY(IsAlbumEntry((*fromFactory)[0]));
        for (const QString& entry :
             {(*fromFactory)[1], QStringLiteral("&2 database file 1"), QStringLiteral("&3 ")})
            QVERIFY2(!IsAlbumEntry(entry), qPrintable(entry));
        QVERIFY(IsAlbumEntry("&2 /albums/Database File 1.mdb"));
        // A first start reads missing entries as "": the entries below the new one stay blank.
        QCOMPARE(*MoveToFront(RecentEntries{}, "/Albums/First.mdb"),
                 (RecentEntries{"&1 /Albums/First.mdb", "&2 ", "&3 ", "&4 "}));
    }

    void navigation_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<qint64>("gridRow");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("target"); // 0: nowhere, the current record stays shown
        // First, last and the ends are walked in the main window by tst_browser.
        QTest::newRow("previous") << Step::Previous << qint64(5) << qint64(10) << qint64(4);
        QTest::newRow("past 32767")
            << Step::Next << qint64(40000) << qint64(100000) << qint64(40001);
        QTest::newRow("empty album") << Step::First << qint64(0) << qint64(0) << qint64(0);
    }
    void navigation() {
        QFETCH(Step, step);
        QFETCH(qint64, gridRow);
        QFETCH(qint64, count);
        QFETCH(qint64, target);
        QCOMPARE(stepTarget(step, gridRow, count).value_or(0), target);
    }
};

QTEST_GUILESS_MAIN(TestRecent)
#include "tst_recent.moc"
