// The CD player and its panel over a disc image of two tones.
#include "TestFiles.h"
#include "viewer/CdAudio.h"
#include "viewer/ui/CdPanel.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace q32;

class TstCdAudio : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    bool tone(const QString& file, const QString& seconds, const QString& hz) {
        return QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", "-e",
                                         "signed-integer", "-L", "-t", "raw", file, "synth",
                                         seconds, "sine", hz}) == 0;
    }

private slots:
    void initTestCase() {
        QVERIFY(tone(m_dir.filePath("t1.raw"), "2", "440"));
        QVERIFY(tone(m_dir.filePath("t2.raw"), "1.5", "660"));
        QVERIFY(test::writeFile(m_dir.filePath("disc.bin"),
                                test::readFile(m_dir.filePath("t1.raw")) +
                                    test::readFile(m_dir.filePath("t2.raw"))));
        QVERIFY(
            test::writeFile(m_dir.filePath("disc.cue"),
                            "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                            "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n"));
    }

    void playsTrackTwoToItsEnd() {
        CdAudio cd;
        cd.setDevice(m_dir.filePath("disc.cue"));
        const QString heard = m_dir.filePath("heard.raw");
        cd.setSink(QStringLiteral("filesink sync=true location=") + heard);
        QVERIFY2(cd.open(), qPrintable(cd.errorText()));
        QCOMPARE(cd.trackCount(), 2);
        QCOMPARE(cd.state(), CdAudio::State::Stopped);
        cd.next(); // stopped: only moves to track 2
        QCOMPARE(cd.track(), 2);
        QSignalSpy ended(&cd, &CdAudio::trackEnded);
        QVERIFY(cd.play());
        QCOMPARE(cd.state(), CdAudio::State::Playing);
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.first().first().toInt(), 2);
        QCOMPARE(cd.state(), CdAudio::State::Stopped);
        // Track 2 whole, and nothing of track 1, reached the speaker; a disc holds whole sectors
        // of 2352 bytes, so the half sector at the end of the file is not on it.
        const QByteArray track2 = test::readFile(m_dir.filePath("t2.raw"));
        QVERIFY(test::readFile(heard) == track2.left(track2.size() / 2352 * 2352));

        // Pause and go on; previous from track 1 wraps to the last.
        QVERIFY(cd.play(1));
        cd.pause();
        QCOMPARE(cd.state(), CdAudio::State::Paused);
        QVERIFY(cd.play());
        QCOMPARE(cd.state(), CdAudio::State::Playing);
        cd.stop();
        cd.previous();
        QCOMPARE(cd.track(), 2);
        cd.close();
        QCOMPARE(cd.state(), CdAudio::State::Closed);
    }

    void panelPlaysTrackTwoToItsEnd() {
        // The panel reaches the disc named by the setting a user gives it.
        qputenv("QUILLON_CD_DEVICE", QFile::encodeName(m_dir.filePath("disc.cue")));
        CdPanel panel;
        panel.cd().setSink("fakesink sync=true");
        auto* track = panel.findChild<QLabel*>("Track");
        auto press = [&panel](const char* name) {
            auto* button = panel.findChild<QToolButton*>(name);
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        };
        QCOMPARE(track->text(), QStringLiteral("No disc"));
        press("Play");
        QCOMPARE(track->text(), QStringLiteral("Playing 1 of 2"));
        QSignalSpy ended(&panel.cd(), &CdAudio::trackEnded);
        press("Next");
        QCOMPARE(track->text(), QStringLiteral("Playing 2 of 2"));
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty() && ended.last().first().toInt() == 2, 10000);
        QCOMPARE(track->text(), QStringLiteral("Track 2 of 2"));
        press("Stop");
        QCOMPARE(panel.cd().state(), CdAudio::State::Stopped);
        qunsetenv("QUILLON_CD_DEVICE");
    }

    void panelSaysNoAudioCdWasFound() {
        // On the viewer's black stage, on a drive without one: shown, the panel looks.
        QWidget stage;
        QPalette black = stage.palette();
        black.setColor(QPalette::Window, Qt::black);
        stage.setPalette(black);
        stage.setAutoFillBackground(true);
        auto* panel = new CdPanel(&stage);
        panel->cd().setDevice(m_dir.filePath("missing.cue"));
        panel->cd().setSink("fakesink");
        stage.show();
        QCOMPARE(panel->cd().state(), CdAudio::State::NoDisc);
        auto* track = panel->findChild<QLabel*>("Track");
        QCOMPARE(track->text(), QStringLiteral("No audio CD found"));
        QVERIFY(!track->toolTip().isEmpty()); // the reason
        auto button = [panel](const char* name) { return panel->findChild<QToolButton*>(name); };
        for (const char* name : {"Prev", "Pause", "Stop", "Next"})
            QVERIFY2(!button(name)->isEnabled(), name);
        // Play looks again, and says the same.
        QVERIFY(button("Play")->isEnabled());
        QTest::mouseClick(button("Play"), Qt::LeftButton);
        QCOMPARE(track->text(), QStringLiteral("No audio CD found"));

        // The words stand out from the panel: pixels far from the background's grey.
        const QImage shot = track->grab().toImage();
        const int background = qGray(shot.pixel(0, 0));
        int ink = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ink += qAbs(qGray(shot.pixel(x, y)) - background) > 80;
        QVERIFY2(ink > 20, qPrintable(QString::number(ink)));
    }
};

QTEST_MAIN(TstCdAudio)
#include "tst_cdaudio.moc"
