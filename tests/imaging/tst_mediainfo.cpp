// Clip information comes from real files made by ffmpeg and sox.
#include "TestFiles.h"
#include "platform/media/MediaInfo.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

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
};

QTEST_GUILESS_MAIN(TstMediaInfo)
#include "tst_mediainfo.moc"
