// Placement, previous/next, the slideshow clock and sequence, and the caption setting.
#include "TestEnv.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "viewer/CaptionSettings.h"
#include "viewer/SlideshowClock.h"
#include "viewer/SlideshowSequence.h"
#include "viewer/SlideshowValues.h"
#include "viewer/ViewerLayout.h"

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

using namespace q32;

class TstViewerLogic : public QObject {
    Q_OBJECT
private slots:
    void placement_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QRectF>("expected");
        const QSize xga(1024, 768);
        QTest::newRow("normal larger than the screen")
            << QSize(1600, 1200) << xga << false << QRectF(0, 0, 1600, 1200);
        QTest::newRow("normal smaller")
            << QSize(400, 300) << xga << false << QRectF(312, 187.2, 400, 300);
        QTest::newRow("normal wider only")
            << QSize(2000, 100) << xga << false << QRectF(0, 267.2, 2000, 100);
        // Fitted sizes: fitKeepsThePictureWhole; drawn pictures: tst_fullpicture.
        QTest::newRow("fit portrait")
            << QSize(600, 1200) << xga << true << QRectF(320, 0, 384, 768);
    }
    void placement() {
        QFETCH(QSize, picture);
        QFETCH(QSize, screen);
        QFETCH(bool, fit);
        QFETCH(QRectF, expected);
        const QRectF r = PicturePlacement(picture, screen, fit, screen.height());
        QCOMPARE(r, expected);
        // Clips follow the same rules.
        QCOMPARE(VideoPlacement(picture, screen, fit, screen.height()), r);
        // Under a menu bar Normal keeps its place, reckoned from the screen; Fit stays inside.
        const QSize below(screen.width(), screen.height() - 30);
        const QRectF under = PicturePlacement(picture, below, fit, screen.height());
        if (fit)
            QVERIFY(under.bottom() < below.height() + 1e-6);
        else
            QCOMPARE(under, r);
    }

    // Fitted: whole, centred, in proportion, touching two opposite edges.
    void fitKeepsThePictureWhole() {
        for (const QSize screen : {QSize(1600, 1000), QSize(1280, 800), QSize(1024, 768),
                                   QSize(1920, 1080), QSize(768, 1024), QSize(1600, 975)}) {
            const QRectF whole = QRectF(QPointF(), screen).adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
            for (int w = 50; w <= 4000; w += 190) {
                for (int h = 50; h <= 4000; h += 230) {
                    const QRectF r = PicturePlacement(QSize(w, h), screen, true, screen.height());
                    const QByteArray at =
                        QString::asprintf("%dx%d on %dx%d", w, h, screen.width(), screen.height())
                            .toLatin1();
                    QVERIFY2(whole.contains(r), at);
                    QVERIFY2(std::abs(r.width() / r.height() - double(w) / h) < 1e-9, at);
                    QVERIFY2(std::abs(r.width() - screen.width()) < 1e-6 ||
                                 std::abs(r.height() - screen.height()) < 1e-6,
                             at);
                    QVERIFY2((r.center() - whole.center()).manhattanLength() < 1e-6, at);
                }
            }
        }
    }

    // At random (the wraps in turn are walked by slideshowSequence).
    void rows() {
        QCOMPARE(NextRow(2, 5, true, [] { return 0.0; }), 1);
        QCOMPARE(NextRow(2, 5, true, [] { return 0.999; }), 5);
        // Two records at random: the same one can come twice in a row.
        QCOMPARE(NextRow(1, 2, true, [] { return 0.2; }), 1);
    }

    void clock() {
        SlideshowValues values;
        values.SlideInterval = 5;
        SlideshowClock clock(values);
        QSignalSpy next(&clock, &SlideshowClock::nextPicture);
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
        // (The stop icon's tick is met by tst_fullpicture.) The real timer ticks once a second.
        clock.setEnabled(true);
        clock.resume();
        values.SlideInterval = -1;
        QVERIFY(QSignalSpy(&clock, &SlideshowClock::nextPicture).wait(2500));
        clock.setEnabled(false);
        QVERIFY(!clock.isEnabled());
    }

    // The slideshow's order of events as the clock, the pictures and the clips drive it.
    void slideshowSequence() {
        PlaybackState playback;
        OpenAlbumState album;
        OptionFlags options;
        album.RecordCount = 3;
        album.CurrentRow = 1;
        playback.SlideshowRunning = true;
        WipeSelection wipes;
        wipes.setCatalogue({{"0000) Cut", 0}, {"0001) Wipe", 7}, {"0002) Iris", 9}});
        wipes.select(1, 25);
        wipes.select(2, 40);
        SlideshowSequence show(playback, album, options, [&]() -> WipeSelection& { return wipes; });
        show.begin(true);
        QVERIFY(show.sliding());

        // Records in turn, round to the first; back from the first to the last.
        show.stepNext();
        QCOMPARE(album.CurrentRow, 2);
        show.stepNext();
        show.stepNext();
        QCOMPARE(album.CurrentRow, 1);
        show.stepPrevious();
        QCOMPARE(album.CurrentRow, 3);

        // Wipes in the selection's turn, each with its own delay.
        show.values().EffectGrain = 4;
        const Transition first = show.planCurrent().transition;
        const Transition second = show.planCurrent().transition;
        QCOMPARE((QList<int>{first.style, first.delay, second.style, second.delay}),
                 (QList<int>{9, 40, 7, 25}));
        QCOMPARE(second.grain, 4);
        QCOMPARE(show.pattern(), 7);

        // The slide made ready ahead decides the next record and its wipe, and is used once.
        options.RandomImages = true;
        show.seed(7);
        qint64 preparedRow = 0;
        Transition preparedWith;
        const auto prepare = [&](qint64 row, const Transition& t) {
            preparedRow = row;
            preparedWith = t;
            return QtFuture::makeReadyFuture(PreparedSlide{});
        };
        show.prepareAhead(prepare);
        QCOMPARE(show.aheadRow(), std::optional<qint64>(preparedRow));
        show.stepNext();
        QCOMPARE(album.CurrentRow, preparedRow);
        const SlideshowSequence::Plan plan = show.planCurrent();
        QVERIFY(plan.ready && plan.ready->isFinished());
        QCOMPARE(plan.transition.style, preparedWith.style);
        QCOMPARE(plan.transition.delay, preparedWith.delay);
        QVERIFY(!show.planCurrent().ready);
        // Stepping back by hand forgets it.
        show.prepareAhead(prepare);
        show.stepPrevious();
        QVERIFY(!show.aheadRow());

        // The clock waits while a picture is read and while a clip plays.
        show.loading();
        QVERIFY(!show.sliding());
        show.shown();
        QVERIFY(show.sliding());
        show.clipStarted();
        QVERIFY(!show.sliding());
        show.clipEnded();
        QVERIFY(show.sliding());

        // Undecodable records are passed over until all have failed; one shown ends the run.
        QVERIFY(show.skipped());
        QVERIFY(show.skipped());
        QVERIFY(!show.skipped());
        QVERIFY(show.sliding());
        show.shown();
        QVERIFY(show.skipped());

        // A picture's sound plays only in a running show with automatic sound on.
        QVERIFY(!show.soundDue(true));
        options.AutoSound = true;
        QVERIFY(show.soundDue(true));
        QVERIFY(!show.soundDue(false));

        // Once the show has ended nothing starts the clock again.
        show.end();
        QVERIFY(!playback.SlideshowRunning);
        show.shown();
        show.clipEnded();
        QVERIFY(!show.sliding());
        QVERIFY(!show.soundDue(true));
        // Started again from the viewer it goes on from the first record.
        album.CurrentRow = 3;
        show.start();
        QVERIFY(playback.SlideshowRunning && show.sliding());
        QCOMPARE(album.CurrentRow, 1);
    }

    void captionSetting() {
        test::TestEnv env;
        Settings settings(env.configFile());
        CaptionProperties c = GetCaptionProperties(settings, 1280);
        QCOMPARE(c.width, 1280); // no setting: the screen width, stored at once
        QCOMPARE(settings.storedText("ImageCaption", "CaptionWidth"), QStringLiteral("1280"));
        // No setting: readable text one line high, in colours of their own.
        QVERIFY(c.fontSize >= 10);
        QVERIFY(!c.fontName.isEmpty());
        QVERIFY(c.height >= QFontMetrics(c.font()).height());
        QVERIFY(std::abs(c.foreColor.lightnessF() - c.backColor.lightnessF()) > 0.5);
        // Both colours stored alike: the text still stands out.
        settings.storeText("ImageCaption", "CaptionForeColor", "0");
        settings.storeText("ImageCaption", "CaptionBackColor", "0");
        QCOMPARE(GetCaptionProperties(settings, 1280).foreColor, QColor(Qt::white));
        settings.storeText("ImageCaption", "CaptionForeColor", "16777215");
        settings.storeText("ImageCaption", "CaptionBackColor", "16777215");
        QCOMPARE(GetCaptionProperties(settings, 1280).foreColor, QColor(Qt::black));
        c.fontName = "DejaVu Sans";
        c.fontSize = 18;
        c.bold = true;
        c.foreColor = QColor(255, 255, 0);
        StoreCaptionProperties(settings, c);
        QCOMPARE(settings.storedText("ImageCaption", "CaptionFontBold"), QStringLiteral("-1"));
        QCOMPARE(settings.storedText("ImageCaption", "CaptionForeColor"),
                 QString::number(255 + 256 * 255));
        const CaptionProperties back = GetCaptionProperties(settings, 800);
        QCOMPARE(back.width, 1280); // the stored width, not this screen's
        QCOMPARE(back.font().pointSize(), 18);
        QVERIFY(back.font().bold() && !back.font().italic());
    }
};

QTEST_MAIN(TstViewerLogic)
#include "tst_viewerlogic.moc"
