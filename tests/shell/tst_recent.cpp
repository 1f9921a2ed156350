// Moving an album to the front of the recent list.

#include "shell/RecentAlbums.h"
#include "shell/RecordNavigation.h"

#include <QTest>

using namespace q32;

class TestRecent : public QObject {
    Q_OBJECT
private slots:
    void moves() {
        const RecentEntries start = {"&1 /a/one.mdb", "&2 /a/two.mdb", "&3 /a/three.mdb",
                                     "&4 /a/four.mdb"};
        // Already first: nothing to write, whatever the case it was typed in.
        QVERIFY(!MoveToFront(start, "/A/ONE.mdb"));
        auto second = MoveToFront(start, "/a/two.mdb");
        QVERIFY(second);
        QCOMPARE(*second, (RecentEntries{"&1 /a/two.mdb", "&2 /a/one.mdb", "&3 /a/three.mdb",
                                         "&4 /a/four.mdb"}));
        // Entry 3 keeps entry 4.
        QCOMPARE(
            *MoveToFront(start, "/a/three.mdb"),
            (RecentEntries{"&1 /a/three.mdb", "&2 /a/one.mdb", "&3 /a/two.mdb", "&4 /a/four.mdb"}));
        // A new album drops the old entry 4; paths are kept in lower case.
        QCOMPARE(*MoveToFront(start, "/Albums/Trip.MDB"),
                 (RecentEntries{"&1 /albums/trip.mdb", "&2 /a/one.mdb", "&3 /a/two.mdb",
                                "&4 /a/three.mdb"}));
        QCOMPARE(
            *MoveToFront(start, "/a/four.mdb"),
            (RecentEntries{"&1 /a/four.mdb", "&2 /a/one.mdb", "&3 /a/two.mdb", "&4 /a/three.mdb"}));
        // Factory captions are entries like any other.
        const auto fromFactory = MoveToFront(FactoryRecentEntries(), "/x.mdb");
        QCOMPARE((*fromFactory)[1], QStringLiteral("&2 database file 1"));
        QCOMPARE(RecentPath("&1 Database File 1"), QStringLiteral("Database File 1"));
    }

    void navigation_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<qint64>("gridRow");
        QTest::addColumn<qint64>("row");
        QTest::addColumn<bool>("show");
        QTest::newRow("first") << 1 << qint64(5) << qint64(1) << true;
        QTest::newRow("previous") << 2 << qint64(5) << qint64(4) << true;
        QTest::newRow("next") << 3 << qint64(5) << qint64(6) << true;
        QTest::newRow("last") << 4 << qint64(2) << qint64(10) << true;
        // Past either end the record stays and the preview stays hidden.
        QTest::newRow("previous on first") << 2 << qint64(1) << qint64(1) << false;
        QTest::newRow("next on last") << 3 << qint64(10) << qint64(10) << false;
    }
    void navigation() {
        QFETCH(int, button);
        QFETCH(qint64, gridRow);
        QFETCH(qint64, row);
        QFETCH(bool, show);
        const NavigationStep step = NavigateRecords(button, gridRow, 10);
        QCOMPARE(step.row, row);
        QCOMPARE(step.show, show);
    }
};

QTEST_GUILESS_MAIN(TestRecent)
#include "tst_recent.moc"
