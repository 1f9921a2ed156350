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

    // A short clip gives its middle frame, fitted into the box; a cut one gives none, without a
    // long wait; a frame being taken from slow bytes stops at once when asked. (The frame a
    // second in, from files and from stored bytes, is checked where thumbnails are made.)
    void clipFrames() {
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

        const QString clip = m_dir.filePath("bars.mp4");
        QVERIFY(MakeClip(clip, {{"smptebars", 3.0}}));
        const QByteArray bytes = test::readFile(clip);
        QVERIFY(test::writeFile(m_dir.filePath("cut.mp4"), bytes.left(bytes.size() / 3)));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!TakeClipFrame(m_dir.filePath("cut.mp4"), QSize(160, 160)));
        QVERIFY(timer.elapsed() < 5000);

        std::atomic_bool stop = false;
        const ClipReader slowly = [&](char* data, qint64 length, qint64 offset) {
            QThread::msleep(20);
            const qint64 n = std::clamp<qint64>(bytes.size() - offset, 0, std::min(length, 512LL));
            memcpy(data, bytes.constData() + offset, size_t(n));
            return n;
        };
        timer.restart();
        std::thread stopper([&stop] {
            QThread::msleep(300);
            stop = true;
        });
        QVERIFY(!TakeClipFrame(bytes.size(), slowly, QSize(160, 160), &stop));
        stopper.join();
        QVERIFY2(timer.elapsed() < 800, qPrintable(QString::number(timer.elapsed())));

        QCOMPARE(ClipLengthText(59600), QStringLiteral("1:00"));
        QCOMPARE(ClipLengthText(3723000), QStringLiteral("1:02:03"));
    }
};

QTEST_GUILESS_MAIN(TstMediaInfo)
#include "tst_mediainfo.moc"
