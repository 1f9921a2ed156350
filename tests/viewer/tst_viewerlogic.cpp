// Placement, previous/next, the slideshow clock and the caption setting.
#include "TestEnv.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "viewer/CaptionSettings.h"
#include "viewer/SlideshowClock.h"
#include "viewer/SlideshowValues.h"
#include "viewer/ViewerLayout.h"

#include <QSignalSpy>
#include <QTest>

using namespace q32;

class TstViewerLogic : public QObject {
    Q_OBJECT
private slots:
    void placement_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QRectF>("expected");
        // On a 1024 x 768 screen.
        QTest::newRow("normal larger than the screen")
            << QSize(1600, 1200) << false << QRectF(0, 0, 1600, 1200);
        QTest::newRow("normal smaller") << QSize(400, 300) << false << QRectF(312, 187.2, 400, 300);
        QTest::newRow("normal wider only")
            << QSize(2000, 100) << false << QRectF(0, 267.2, 2000, 100);
        // A fitted landscape and a normal portrait are drawn by tst_fullpicture.
        QTest::newRow("fit small landscape is enlarged")
            << QSize(400, 300) << true << QRectF(0, 0, 1024, 768);
        QTest::newRow("fit portrait") << QSize(600, 1200) << true << QRectF(320, 0, 384, 768);
        QTest::newRow("fit square") << QSize(500, 500) << true << QRectF(128, 0, 768, 768);
        // Only the picture's proportions count: a nearly square wide one overflows.
        QTest::newRow("fit nearly square")
            << QSize(1000, 900) << true << QRectF(0, -76.8, 1024, 921.6);
    }
    void placement() {
        QFETCH(QSize, picture);
        QFETCH(bool, fit);
        QFETCH(QRectF, expected);
        const QRectF r = PicturePlacement(picture, QSize(1024, 768), fit);
        QVERIFY2(std::abs(r.x() - expected.x()) < 1e-6 && std::abs(r.y() - expected.y()) < 1e-6 &&
                     std::abs(r.width() - expected.width()) < 1e-6 &&
                     std::abs(r.height() - expected.height()) < 1e-6,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(r.x())
                                .arg(r.y())
                                .arg(r.width())
                                .arg(r.height())));
        // Clips follow the same rules.
        QCOMPARE(VideoPlacement(picture, QSize(1024, 768), fit), r);
    }

    void rows() {
        QCOMPARE(PreviousRow(1, 5), 5);
        QCOMPARE(PreviousRow(3, 5), 2);
        QCOMPARE(NextRow(5, 5, false, {}), 1);
        QCOMPARE(NextRow(2, 5, false, {}), 3);
        QCOMPARE(NextRow(2, 5, true, [] { return 0.0; }), 1);
        QCOMPARE(NextRow(2, 5, true, [] { return 0.999; }), 5);
        // Two records at random: the same one can come twice in a row.
        QCOMPARE(NextRow(1, 2, true, [] { return 0.2; }), 1);
    }

    void clock() {
        ProgramState state;
        SlideshowValues values;
        values.SlideInterval = 5;
        SlideshowClock clock(state, values);
        QSignalSpy next(&clock, &SlideshowClock::nextPicture);
        QSignalSpy stop(&clock, &SlideshowClock::stopIconTick);
        QList<int> changes;
        for (int tick = 1; tick <= 21; ++tick) {
            clock.tick();
            if (next.size() > changes.size())
                changes << tick;
        }
        // Interval 5: a new picture on every seventh tick.
        QCOMPARE(changes, (QList<int>{7, 14, 21}));
        values.SlideInterval = 0;
        next.clear();
        for (int i = 0; i < 6; ++i)
            clock.tick();
        QCOMPARE(next.size(), 3); // every second tick
        // After the stop icon: the next tick only reports it.
        clock.setEnabled(true);
        state.StatusWord = 2;
        clock.tick();
        QCOMPARE(stop.size(), 1);
        QCOMPARE(stop.first().first().toBool(), true);
        QCOMPARE(next.size(), 3);
        // The real timer ticks once a second.
        state.StatusWord = 0;
        values.SlideInterval = -1;
        QVERIFY(QSignalSpy(&clock, &SlideshowClock::nextPicture).wait(2500));
        clock.setEnabled(false);
        QVERIFY(!clock.isEnabled());
    }

    void captionSetting() {
        test::TestEnv env;
        Settings settings(env.configFile());
        CaptionProperties c = GetCaptionProperties(settings, 1280);
        QCOMPARE(c.width, 1280); // no setting: the screen width, stored at once
        QCOMPARE(settings.RegGetString("ImageCaption", "CaptionWidth"), QStringLiteral("1280"));
        c.fontName = "DejaVu Sans";
        c.fontSize = 14;
        c.bold = true;
        c.borderStyle = 1;
        c.foreColor = QColor(255, 255, 0);
        c.backColor = QColor(0, 0, 128);
        c.left = 10;
        c.height = 30;
        StoreCaptionProperties(settings, c);
        QCOMPARE(settings.RegGetString("ImageCaption", "CaptionFontBold"), QStringLiteral("-1"));
        QCOMPARE(settings.RegGetString("ImageCaption", "CaptionForeColor"),
                 QString::number(255 + 256 * 255));
        const CaptionProperties back = GetCaptionProperties(settings, 800);
        QCOMPARE(back.width, 1280);
        QCOMPARE(back.foreColor, QColor(255, 255, 0));
        QCOMPARE(back.backColor, QColor(0, 0, 128));
        QCOMPARE(back.borderStyle, 1);
        QCOMPARE(back.font().pointSize(), 14);
        QVERIFY(back.font().bold() && !back.font().italic());
    }
};

QTEST_GUILESS_MAIN(TstViewerLogic)
#include "tst_viewerlogic.moc"
