// Clip information and frames come from real files made by ffmpeg and sox.
#include "TestFiles.h"
#include "platform/media/ClipFrame.h"
#include "platform/media/MediaInfo.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

// Mean difference per channel of two pictures of the same size.
double difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * x.width() * x.height());
}

bool ffmpeg(const QStringList& arguments) {
    return QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y"} + arguments) == 0;
}

// Segments of plain colour or a test pattern, each seconds long, with a tone under them.
bool makeClip(const QString& file, const QList<QPair<QString, double>>& segments) {
    QStringList args;
    QString graph;
    for (int i = 0; i < segments.size(); ++i) {
        const QString& source = segments[i].first;
        args << "-f"
             << "lavfi"
             << "-i"
             << QStringLiteral("%1%2s=320x240:r=25:d=%3")
                    .arg(source, source.contains('=') ? ":" : "=")
                    .arg(segments[i].second);
        graph += QStringLiteral("[%1:v]").arg(i);
    }
    double total = 0;
    for (const auto& segment : segments)
        total += segment.second;
    args << "-f"
         << "lavfi"
         << "-i" << QStringLiteral("sine=d=%1").arg(total);
    graph += QStringLiteral("concat=n=%1:v=1[v]").arg(segments.size());
    return ffmpeg(args + QStringList{"-filter_complex", graph, "-map", "[v]", "-map",
                                     QStringLiteral("%1:a").arg(segments.size()), "-c:v", "libx264",
                                     "-pix_fmt", "yuv420p", "-c:a", "aac", file});
}

} // namespace

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
        QVERIFY(makeClip(clip, {{"color=c=red", 1.0}, {"smptebars", 2.0}}));
        const QString expected = m_dir.filePath("expected.png");
        QVERIFY(
            ffmpeg({"-ss", "1", "-i", clip, "-frames:v", "1", "-vf", "scale=160:120", expected}));
        const QImage reference(expected);
        QImage red(reference.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(difference(reference, red) > 60);

        const QByteArray bytes = test::readFile(clip);
        const ClipReader fromMemory = [&](char* data, qint64 length, qint64 offset) {
            const qint64 n = std::clamp<qint64>(bytes.size() - offset, 0, length);
            memcpy(data, bytes.constData() + offset, size_t(n));
            return n;
        };
        for (const auto& frame : {TakeClipFrame(clip, QSize(160, 160)),
                                  TakeClipFrame(bytes.size(), fromMemory, QSize(160, 160))}) {
            QVERIFY(frame);
            QVERIFY2(difference(frame->image, reference) < 6,
                     qPrintable(QString::number(difference(frame->image, reference))));
            QVERIFY(qAbs(frame->durationMs - 3000) < 100);
        }

        const QString shortClip = m_dir.filePath("short.mp4");
        QVERIFY(makeClip(shortClip,
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
        const std::atomic_bool stop = true;
        QVERIFY(!TakeClipFrame(clip, QSize(160, 160), &stop));
        QVERIFY(timer.elapsed() < 5000);

        QCOMPARE(ClipLengthText(7000), QStringLiteral("0:07"));
        QCOMPARE(ClipLengthText(59600), QStringLiteral("1:00"));
        QCOMPARE(ClipLengthText(3723000), QStringLiteral("1:02:03"));
        QCOMPARE(FrameMomentMs(-1), 0);
    }
};

QTEST_GUILESS_MAIN(TstMediaInfo)
#include "tst_mediainfo.moc"
