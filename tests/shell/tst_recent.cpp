// Moving an album to the front of the recent list.

#include "shell/RecentAlbums.h"

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
};

QTEST_GUILESS_MAIN(TestRecent)
#include "tst_recent.moc"
