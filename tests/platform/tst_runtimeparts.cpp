// The parts the program and its tests load at run time, each with the Debian package that
// brings it. Elsewhere a missing part shows only as a quiet gap (an animated WebP that stands
// still, a clip that does not play, a test that skips); here it fails by name, with the package
// to install, and scripts/setup.sh must install every one of those packages.

#include "platform/imaging/MagickBridge.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLibraryInfo>
#include <QMovie>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gst/gst.h>

namespace {

enum class Kind { QtReader, QtAnimation, GstElement, MagickCoder, File, Tool };

struct Part {
    Kind kind;
    const char* names; // blank-separated; a file's path, "LIB/" for the system's library folder
    const char* package;
    const char* usedFor;
};

const Part kParts[] = {
    {Kind::QtAnimation, "webp", "qt6-image-formats-plugins", "animated WebP pictures"},
    {Kind::QtReader, "svg", "libqt6svg6", "the program's icon"},
    {Kind::MagickCoder, "WMF", "libmagickcore-6.q16-6-extra", "Windows metafiles"},

    {Kind::GstElement,
     "decodebin uridecodebin videoconvert videoscale audioconvert audioresample appsink appsrc "
     "vorbisdec opusdec",
     "gstreamer1.0-plugins-base", "clips and sounds"},
    {Kind::GstElement, "avidemux qtdemux matroskademux vp8dec vp9dec mpg123audiodec wavparse",
     "gstreamer1.0-plugins-good", "AVI, QuickTime, MP4, WebM and MKV clips, WAVE sounds"},
    {Kind::GstElement, "mpegpsdemux tsdemux", "gstreamer1.0-plugins-bad", "MPEG clips"},
    {Kind::GstElement, "mpeg2dec", "gstreamer1.0-plugins-ugly", "MPEG-1 and MPEG-2 video"},
    {Kind::GstElement, "avdec_h264 avdec_h265 avdec_mpeg4 avdec_aac", "gstreamer1.0-libav",
     "the video and sound of camera and phone clips"},
    {Kind::GstElement, "midiparse fluiddec", "gstreamer1.0-plugins-bad", "MIDI sounds"},
    {Kind::File, "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "fluidr3mono-gm-soundfont",
     "the instruments of MIDI sounds"},
    {Kind::GstElement, "cdiocddasrc", "gstreamer1.0-plugins-ugly", "audio CDs"},
    {Kind::GstElement, "autoaudiosink pulsesink", "gstreamer1.0-plugins-good", "sound output"},
    {Kind::GstElement, "alsasink", "gstreamer1.0-alsa", "sound output without a sound server"},

    {Kind::File, "LIB/sane/libsane-test.so.1", "libsane1", "the scanner tests' SANE backend"},
    {Kind::File, "/usr/sbin/cupsd", "cups-daemon", "the printing tests' CUPS"},
    {Kind::Tool, "lpstat", "cups-client", "the printing tests' CUPS"},
    {Kind::File, "/usr/lib/cups/backend/cups-pdf /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
     "printer-driver-cups-pdf", "the printing tests' PDF printer"},

    {Kind::Tool, "convert identify import compare", "imagemagick", "test pictures and screens"},
    {Kind::Tool, "gm", "graphicsmagick", "benchmarks"},
    {Kind::Tool, "gs", "ghostscript", "test pictures"},
    {Kind::Tool, "djpeg", "libjpeg-turbo-progs", "tests and benchmarks"},
    {Kind::Tool, "ffmpeg", "ffmpeg", "test clips"},
    {Kind::Tool, "sox", "sox", "test sounds and discs"},
    {Kind::Tool, "exiftool", "libimage-exiftool-perl", "test pictures' dates"},
    {Kind::Tool, "heif-enc heif-convert", "libheif-examples", "test HEIC pictures"},
    {Kind::Tool, "avifenc", "libavif-bin", "test AVIF pictures"},
    {Kind::Tool, "cwebp img2webp webpmux", "webp", "test WebP pictures"},
    {Kind::Tool, "cjxl", "libjxl-tools", "test JPEG XL pictures"},
    {Kind::Tool, "dcraw", "dcraw", "test camera raw pictures"},
    {Kind::Tool, "pdftoppm pdftotext pdfinfo", "poppler-utils", "reading printed pages"},
    {Kind::Tool, "tesseract", "tesseract-ocr", "reading printed names"},
    {Kind::File, "/usr/share/tesseract-ocr/5/tessdata/eng.traineddata", "tesseract-ocr-eng",
     "reading printed names"},
    {Kind::Tool, "sqlcipher", "sqlcipher", "albums made outside the program"},
    {Kind::File,
     "/usr/lib/postgresql/15/bin/initdb /usr/lib/postgresql/15/bin/pg_ctl "
     "/usr/lib/postgresql/15/bin/postgres",
     "postgresql-15", "the server album tests' private PostgreSQL"},
    {Kind::File, "/usr/lib/postgresql/15/bin/psql", "postgresql-client-15",
     "the server album tests' roles and databases"},
    {Kind::Tool, "Xvfb", "xvfb", "the end-to-end tests' screen"},
    {Kind::Tool, "xauth", "xauth", "benchmarks' screen"},
    {Kind::Tool, "xdotool", "xdotool", "the end-to-end tests' mouse and keys"},
    {Kind::Tool, "xprop xwininfo", "x11-utils", "the end-to-end tests' windows"},
    {Kind::Tool, "openbox", "openbox", "the end-to-end tests' window manager"},
    {Kind::Tool, "fincore", "util-linux-extra", "benchmarks"},
};

// Two frames of 8 x 8 pixels, red then blue.
QByteArray AnimatedWebp() {
    QTemporaryDir dir;
    QStringList args{"-loop", "0", "-lossless"};
    for (const QRgb colour : {qRgb(255, 0, 0), qRgb(0, 0, 255)}) {
        QImage frame(8, 8, QImage::Format_RGB32);
        frame.fill(colour);
        args << dir.filePath(QString::number(colour) + ".png");
        frame.save(args.last());
    }
    QFile file(dir.filePath("anim.webp"));
    return QProcess::execute("img2webp", args << "-o" << file.fileName()) == 0 &&
                   file.open(QIODevice::ReadOnly)
               ? file.readAll()
               : QByteArray();
}

bool Present(Kind kind, const QString& name) {
    switch (kind) {
    case Kind::QtReader:
        return QImageReader::supportedImageFormats().contains(name.toLatin1());
    case Kind::QtAnimation: {
        QByteArray bytes = AnimatedWebp();
        QBuffer buffer(&bytes);
        QMovie movie(&buffer, name.toLatin1());
        return movie.isValid() && movie.frameCount() == 2;
    }
    case Kind::GstElement: {
        GstElementFactory* factory = gst_element_factory_find(name.toLatin1().constData());
        if (factory)
            gst_object_unref(factory);
        return factory != nullptr;
    }
    case Kind::MagickCoder:
        try {
            return Magick::CoderInfo(name.toStdString()).isReadable();
        } catch (const Magick::Exception&) {
            return false;
        }
    case Kind::File: {
        QString path = name;
        path.replace(QLatin1String("LIB/"),
                     QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QLatin1Char('/'));
        return QFile::exists(path);
    }
    case Kind::Tool:
        return !QStandardPaths::findExecutable(name).isEmpty();
    }
    return false;
}

// The packages scripts/setup.sh installs: the words of its PACKAGES and BACKPORTS lists.
QStringList SetupPackages() {
    QFile file(qEnvironmentVariable("QUILLON_SOURCE_DIR") + QStringLiteral("/scripts/setup.sh"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString script = QString::fromUtf8(file.readAll());
    script.remove(QRegularExpression(QStringLiteral("(^|\\s)#[^\\n]*")));
    QStringList packages;
    const QRegularExpression list(QStringLiteral("^(PACKAGES|BACKPORTS)=\\(([^)]*)\\)"),
                                  QRegularExpression::MultilineOption);
    for (auto match = list.globalMatch(script); match.hasNext();)
        packages += match.next().captured(2).split(QRegularExpression(QStringLiteral("\\s+")),
                                                   Qt::SkipEmptyParts);
    return packages;
}

} // namespace

class TestRuntimeParts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        gst_init(nullptr, nullptr);
        q32::imaging::EnsureMagick();
    }

    void everyPartIsHereAndSetupInstallsIt() {
        QStringList missing;
        QStringList notInSetup;
        const QStringList installed = SetupPackages();
        QVERIFY2(installed.contains(QStringLiteral("cmake")), "scripts/setup.sh was not read");
        for (const Part& part : kParts) {
            const QString package = QLatin1String(part.package);
            for (const QString& name : QString::fromLatin1(part.names).split(QLatin1Char(' ')))
                if (!Present(part.kind, name))
                    missing << QStringLiteral("%1 (%2): install the Debian package %3")
                                   .arg(name, QLatin1String(part.usedFor), package);
            if (!installed.contains(package) && !notInSetup.contains(package))
                notInSetup << package;
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable("missing on this machine:\n  " + missing.join("\n  ")));
        QVERIFY2(notInSetup.isEmpty(),
                 qPrintable("scripts/setup.sh does not install " + notInSetup.join(", ")));
    }
};

QTEST_MAIN(TestRuntimeParts)
#include "tst_runtimeparts.moc"
