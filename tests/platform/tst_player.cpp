// The video pane's player on a real clip made by ffmpeg and a MIDI sound.

#include "TestFiles.h"
#include "platform/player/VideoControl.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoSink>
#include <QtEndian>

using namespace q32;

class TestPlayer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { VideoControl::chooseBackend(); }

    void clipPlaysToItsEndAndReportsTheMode() {
        const QString clip = m_dir.filePath("clip.mpg");
        QCOMPARE(QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                              "testsrc=size=160x120:rate=25:duration=1", "-c:v",
                                              "mpeg1video", "-f", "mpeg", clip}),
                 0);
        VideoControl video;
        QVideoSink sink;
        video.setVideoOutput(&sink);
        QSignalSpy ends(&video, &VideoControl::ended);
        QSignalSpy frames(&sink, &QVideoSink::videoFrameChanged);
        QVERIFY(video.load(clip));
        video.playFromStart();
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 15000);
        QVERIFY(frames.size() > 0);
        QCOMPARE(sink.videoSize(), QSize(160, 120));

        // Playing again from the start reaches the end again.
        video.playFromStart();
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 2, 15000);
        video.close();
        QVERIFY(!video.isOpen());
    }

    void midiPlaysWithoutASoundDevice() {
        // A tiny MIDI file, through the synthesizer: three notes, then the end of the track.
        QByteArray track;
        for (char note : {char(60), char(64), char(67)})
            track += QByteArray::fromRawData("\x00\x90", 2) + note + char(100) +
                     QByteArray("\x60\x80", 2) + note + char(0);
        track += QByteArray("\x00\xff\x2f\x00", 4);
        QByteArray midi("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\0\0\0\0", 22);
        qToBigEndian(quint32(track.size()), midi.data() + 18);
        midi += track;
        const QString mtm = m_dir.filePath("sound.mtm"); // the name tells nothing: the content does
        QVERIFY(test::writeFile(mtm, midi));
        VideoControl player; // a WAVE plays to its end in tst_records
        QSignalSpy ends(&player, &VideoControl::ended);
        QVERIFY(player.load(mtm));
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 15000);
    }
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
