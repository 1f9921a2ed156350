#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/FileProbe.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/OwnCodecs.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace q32::imaging {

// ImageMagick's system policy forbids its PostScript coders, so EPS is written here and
// rendered by Ghostscript in its own process (-dSAFER, a time limit).

QByteArray EncodeEps(const QImage& image, int bitsPerPixel) {
    const bool grey = bitsPerPixel == 8;
    const QImage src =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    QByteArray out;
    out += "%!PS-Adobe-3.0 EPSF-3.0\n";
    out += "%%BoundingBox: 0 0 " + QByteArray::number(w) + ' ' + QByteArray::number(h) + "\n";
    out += "%%LanguageLevel: 2\n%%EndComments\n";
    out += "gsave\n" + QByteArray::number(w) + ' ' + QByteArray::number(h) + " scale\n";
    out += grey ? "/DeviceGray setcolorspace\n" : "/DeviceRGB setcolorspace\n";
    out += "<< /ImageType 1 /Width " + QByteArray::number(w) + " /Height " + QByteArray::number(h) +
           " /BitsPerComponent 8 /Decode " + (grey ? "[0 1]" : "[0 1 0 1 0 1]") +
           " /ImageMatrix [" + QByteArray::number(w) + " 0 0 -" + QByteArray::number(h) + " 0 " +
           QByteArray::number(h) + "] /DataSource currentfile /ASCIIHexDecode filter >> image\n";
    const int rowBytes = w * (grey ? 1 : 3);
    for (int y = 0; y < h; ++y) {
        const QByteArray row(reinterpret_cast<const char*>(src.constScanLine(y)), rowBytes);
        for (int i = 0; i < row.size(); i += 36)
            out += row.mid(i, 36).toHex() + '\n';
    }
    out += ">\ngrestore\nshowpage\n%%EOF\n";
    return out;
}

ImagingCondition ProbeEps(const QString& path, ImageInfo& info) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    QByteArray text = f.read(65536);
    if (text.startsWith(
            "\xC5\xD0\xD3\xC6")) { // DOS header: the PostScript section's offset and length
        const ByteReader r(text);
        f.seek(r.le32(4));
        text = f.read(qMin<qint64>(r.le32(8), 65536));
    }
    static const QRegularExpression box(
        QStringLiteral("%%BoundingBox:\\s*(-?\\d+)\\s+(-?\\d+)\\s+(-?\\d+)\\s+(-?\\d+)"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(text));
    if (!m.hasMatch())
        return text.size() < 64 ? ImagingCondition::Truncated : ImagingCondition::Damaged;
    info.width = m.captured(3).toInt() - m.captured(1).toInt();
    info.height = m.captured(4).toInt() - m.captured(2).toInt();
    info.bitsPerPixel = 24;
    return info.width > 0 && info.height > 0 ? ImagingCondition::None : ImagingCondition::Damaged;
}

ImagingCondition RenderEps(const QString& path, const ImageInfo& info, QImage& out) {
    if (!SizeAcceptable(info.width, info.height))
        return ImagingCondition::TooLarge;
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("page.png"));
    QProcess gs;
    gs.start(QStringLiteral("gs"),
             {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
              QStringLiteral("-dNOPAUSE"), QStringLiteral("-dEPSCrop"),
              QStringLiteral("-sDEVICE=png16m"), QStringLiteral("-r72"),
              QStringLiteral("-sOutputFile=") + png, path});
    if (!gs.waitForStarted(5000))
        return ImagingCondition::Failure;
    if (!gs.waitForFinished(30000)) {
        gs.kill();
        gs.waitForFinished(1000);
        return ImagingCondition::Damaged;
    }
    if (gs.exitCode() != 0 || !out.load(png, "png")) {
        out = QImage();
        return ImagingCondition::Damaged;
    }
    return ImagingCondition::None;
}

} // namespace q32::imaging
