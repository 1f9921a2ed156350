// Clip information and frames come from real files made by ffmpeg and sox.
#include "TestClips.h"
#include "TestFiles.h"
#include "platform/media/ClipFrame.h"
#include "platform/media/MediaInfo.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

using namespace q32;
using namespace q32::test;

class TstMediaInfo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void clips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("codec");
        QTest::newRow("mpeg") << "clip.mpg" << QStringList{"-c:v", "mpeg1video"};
        QTest::newRow("quicktime") << "clip.mov" << QStringList{"-c:v", "mjpeg"};
        QTest::newRow("avi") << "clip.avi" << QStringList{"-c:v", "mjpeg"};
    }
    void clips() {
        QFETCH(QString, name);
        QFETCH(QStringList, codec);
        const QString file = m_dir.filePath(name);
        QCOMPARE(
            QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                                    "testsrc=size=160x120:rate=25:duration=2"} +
                                            codec + QStringList{file}),
            0);
        MediaInfo info;
        QCOMPARE(ReadMediaInfo(file, info), ImagingCondition::None);
        QVERIFY(info.hasVideo);
        QCOMPARE(QSize(info.width, info.height), QSize(160, 120));
        QVERIFY2(qAbs(info.durationMs - 2000) < 150, qPrintable(QString::number(info.durationMs)));
    }
    void soundAndBadFiles() {
        const QString wav = m_dir.filePath("tone.wav");
        QCOMPARE(QProcess::execute("sox", {"-n", wav, "synth", "1.5", "sine", "440"}), 0);
        MediaInfo info;
        QCOMPARE(ReadMediaInfo(wav, info), ImagingCondition::None);
        QVERIFY(info.hasAudio && !info.hasVideo);
        QVERIFY(qAbs(info.durationMs - 1500) < 100);
        QCOMPARE(ReadMediaInfo(m_dir.filePath("none.mpg"), info), ImagingCondition::FileNotFound);
        QVERIFY(test::writeFile(m_dir.filePath("junk.mov"), QByteArray(5000, 'x')));
        QVERIFY(ReadMediaInfo(m_dir.filePath("junk.mov"), info) != ImagingCondition::None);
    }

    // The frame is the one a second in (the middle of a short clip), fitted into the box, from a
    // file and from bytes handed over in pieces alike; a damaged clip or a stop gives none.
    void clipFrames() {
        const QString clip = m_dir.filePath("colours.mp4");
        QVERIFY(MakeClip(clip, {{"color=c=red", 1.0}, {"smptebars", 2.0}}));
        const QImage reference = FfmpegFrame(clip, 1, QSize(160, 120), m_dir.filePath("at1.png"));
        QImage red(reference.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(PixelDifference(reference, red) > 60);

        const QByteArray bytes = test::readFile(clip);
        const ClipReader fromMemory = [&](char* data, qint64 length, qint64 offset) {
            const qint64 n = std::clamp<qint64>(bytes.size() - offset, 0, length);
            memcpy(data, bytes.constData() + offset, size_t(n));
            return n;
        };
        for (const auto& frame : {TakeClipFrame(clip, QSize(160, 160)),
                                  TakeClipFrame(bytes.size(), fromMemory, QSize(160, 160))}) {
            QVERIFY(frame);
            QVERIFY2(PixelDifference(frame->image, reference) < 6,
                     qPrintable(QString::number(PixelDifference(frame->image, reference))));
            QVERIFY(qAbs(frame->durationMs - 3000) < 100);
        }

        const QString shortClip = m_dir.filePath("short.mp4");
        QVERIFY(MakeClip(shortClip,
                         {{"color=c=red", 0.5}, {"color=c=blue", 0.5}, {"color=c=lime", 0.6}}));
        const auto middle = TakeClipFrame(shortClip, QSize(80, 80));
        QVERIFY(middle);
        QCOMPARE(middle->image.size(), QSize(80, 60));
        const QRgb centre = middle->image.pixel(40, 30);
        QVERIFY2(qBlue(centre) > 200 && qRed(centre) < 60 && qGreen(centre) < 60,
                 qPrintable(QString::number(centre, 16)));
        QVERIFY(qAbs(middle->durationMs - 1600) < 100);

        // Cut short, or noise with a clip's name: no frame, and no long wait for it.
        QVERIFY(test::writeFile(m_dir.filePath("cut.mp4"), bytes.left(bytes.size() / 3)));
        QVERIFY(test::writeFile(m_dir.filePath("junk.mp4"), QByteArray(20000, 'x')));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!TakeClipFrame(m_dir.filePath("cut.mp4"), QSize(160, 160)));
        QVERIFY(!TakeClipFrame(m_dir.filePath("junk.mp4"), QSize(160, 160)));
        QVERIFY(timer.elapsed() < 8000);

        // Stopped while its bytes come slowly (an album busy elsewhere): it gives up at once.
        std::atomic_bool stop = false;
        const ClipReader slowly = [&](char* data, qint64 length, qint64 offset) {
            QThread::msleep(20);
            return fromMemory(data, std::min<qint64>(length, 512), offset);
        };
        timer.restart();
        std::thread stopper([&stop] {
            QThread::msleep(300);
            stop = true;
        });
        const std::optional<ClipFrame> stopped =
            TakeClipFrame(bytes.size(), slowly, QSize(160, 160), &stop);
        stopper.join();
        QVERIFY(!stopped);
        QVERIFY2(timer.elapsed() < 800, qPrintable(QString::number(timer.elapsed())));

        QCOMPARE(ClipLengthText(7000), QStringLiteral("0:07"));
        QCOMPARE(ClipLengthText(59600), QStringLiteral("1:00"));
        QCOMPARE(ClipLengthText(3723000), QStringLiteral("1:02:03"));
        QCOMPARE(FrameMomentMs(-1), 0);
    }
};

QTEST_GUILESS_MAIN(TstMediaInfo)
#include "tst_mediainfo.moc"
