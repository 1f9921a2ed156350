#include "album/FormatTable.h"

#include <QStringList>

namespace q32 {
namespace {

QString cameraRawPattern() {
    return QStringLiteral(
        "*.cr2;*.cr3;*.crw;*.nef;*.nrw;*.arw;*.srf;*.sr2;*.orf;*.rw2;*.rwl;*.raf;*.pef;*.srw;*.x3f;"
        "*.erf;*.kdc;*.dcr;*.mrw;*.3fr;*.iiq;*.mos;*.mef");
}

QString mp4Pattern() {
    return QStringLiteral("*.mp4;*.m4v;*.3gp");
}

} // namespace

QString FormatName(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("ZSoft PCX");
    case 2:
        return QStringLiteral("Graphic Interchange Format");
    case 3:
        return QStringLiteral("TIFF (uncompressed)");
    case 4:
        return QStringLiteral("TrueVision Targa");
    case 5:
    case 20:
        return QStringLiteral("LEAD CMP");
    case 6:
        return QStringLiteral("Microsoft Windows Bitmap");
    case 9:
        return QStringLiteral("Bitmap");
    case 10:
    case 21:
        return QStringLiteral("JPEG File Interchange Format");
    case 11:
    case 17:
        return QStringLiteral("TIFF (compressed)");
    case 14:
        return QStringLiteral("OS/2 BMP");
    case 15:
        return QStringLiteral("Microsoft Windows Metafile");
    case 16:
        return QStringLiteral("Encapsulated PostScript");
    case 22:
    case 24:
        return QStringLiteral("LEAD JTIF");
    case 23:
        return QStringLiteral("JPEG");
    case 25:
        return QStringLiteral("CCITT FAX");
    case 26:
        return QStringLiteral("LEAD 1-bit");
    case 27:
    case 66:
        return QStringLiteral("Fax - CCITT Group 3 1D");
    case 28:
    case 67:
        return QStringLiteral("Fax - CCITT Group 3 2D");
    case 29:
    case 68:
        return QStringLiteral("Fax - CCITT Group 4");
    case 30:
        return QStringLiteral("LEAD CMP - noloss");
    case 50:
        return QStringLiteral("CALS Raster");
    case 51:
        return QStringLiteral("Mac Paint");
    case 52:
        return QStringLiteral("GEM Image");
    case 53:
        return QStringLiteral("Microsoft Paint");
    case 54:
        return QStringLiteral("WordPerfect");
    case 55:
        return QStringLiteral("Sun Raster");
    case 56:
        return QStringLiteral("Macintosh Pict");
    case 57:
        return QStringLiteral("Kodak PhotoCD");
    case 58:
        return QStringLiteral("DXF");
    case 59:
        return QStringLiteral("Video for Windows");
    case 60:
        return QStringLiteral("Wave audio");
    case 62:
        return QStringLiteral("CGM");
    case 63:
        return QStringLiteral("EPS with an embedded TIFF file");
    case 64:
        return QStringLiteral("EPS with an embedded WMF file");
    case 65:
        return QStringLiteral("LEAD - noloss");
    case 69:
        return QStringLiteral("WinFax - CCITT Group 3");
    case 70:
        return QStringLiteral("WinFax - CCITT Group 4");
    case 71:
        return QStringLiteral("IBM IOCA, compressed using CCITT G3 1D");
    case 72:
        return QStringLiteral("IBM IOCA, compressed using CCITT G3 2D");
    case 73:
        return QStringLiteral("IBM IOCA, compressed using CCITT G4");
    case 74:
        return QStringLiteral("OS/2 BMP version 2.x");
    case 75:
        return QStringLiteral("Portable Network Graphics");
    case 76:
        return QStringLiteral("Adobe Photoshop 3.0");
    case 77:
        return QStringLiteral("Raw FAX, compressed using CCITT G3 1D");
    case 78:
        return QStringLiteral("Raw FAX, compressed using CCITT G3 2D");
    case 79:
        return QStringLiteral("Raw FAX, compressed using CCITT G4");
    case 80:
        return QStringLiteral("Kodak Flashpix - uncompressed");
    case 81:
        return QStringLiteral("Kodak Flashpix - compressed");
    case 82:
        return QStringLiteral("Kodak Flashpix - compressed with JPEG");
    case 83:
        return QStringLiteral("Kodak Flashpix - compressed with JPEG with QFACTOR");
    // Today's formats, on codes the table above leaves free.
    case 85:
        return QStringLiteral("High Efficiency Image File Format (HEIC)");
    case 86:
        return QStringLiteral("AV1 Image File Format (AVIF)");
    case 87:
        return QStringLiteral("WebP");
    case 88:
        return QStringLiteral("JPEG XL");
    case 89:
        return QStringLiteral("Adobe Digital Negative (DNG)");
    case 90:
        return QStringLiteral("Camera Raw");
    case 91:
        return QStringLiteral("Windows Icon");
    case 92:
        return QStringLiteral("Windows Cursor");
    case 93:
        return QStringLiteral("MPEG");
    case 94:
        return QStringLiteral("Apple Quicktime");
    case kMpeg4VideoCode:
        return QStringLiteral("MPEG-4 Video");
    case kWebmVideoCode:
        return QStringLiteral("WebM Video");
    case kMatroskaVideoCode:
        return QStringLiteral("Matroska Video");
    default:
        return QString();
    }
}

QString FormatText(int code) {
    // The pattern "00": at least two digits, a minus sign in front of negative codes.
    const QString digits =
        QString::number(code < 0 ? -code : code).rightJustified(2, QLatin1Char('0'));
    return (code < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(' ') +
           FormatName(code);
}

QString FixedFormatText(const QString& path) {
    const QString ext = path.right(3).toLower();
    if (ext == QLatin1String("gif"))
        return QString::fromLatin1(kGifFormatText);
    if (ext == QLatin1String("mpg"))
        return QString::fromLatin1(kMpegFormatText);
    if (ext == QLatin1String("mov"))
        return QString::fromLatin1(kQuickTimeFormatText);
    return QString();
}

bool IsClipCode(int code) {
    return code == 59 || code == 93 || code == 94 || code == kMpeg4VideoCode ||
           code == kWebmVideoCode || code == kMatroskaVideoCode;
}

bool IsClipFormat(const QString& formatText) {
    if (formatText.size() < 3 || formatText[2] != QLatin1Char(' '))
        return false;
    bool ok = false;
    const int code = formatText.left(2).toInt(&ok);
    return ok && IsClipCode(code);
}

bool IsClipFileName(const QString& path) {
    static const QStringList clips = {
        QStringLiteral("mpg"), QStringLiteral("mpeg"), QStringLiteral("mov"),
        QStringLiteral("avi"), QStringLiteral("mp4"),  QStringLiteral("m4v"),
        QStringLiteral("3gp"), QStringLiteral("webm"), QStringLiteral("mkv"),
        QStringLiteral("mts"), QStringLiteral("m2ts")};
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return false;
    return clips.contains(path.mid(dot + 1).toLower());
}

QString ReadableFilesPattern() {
    const QString pictures = QStringLiteral(
        "*.jpg;*.jpeg;*.jpe;*.jfif;*.png;*.gif;*.bmp;*.dib;*.tif;*.tiff;*.pcx;*.dcx;*.tga;*.psd;"
        "*.ras;*.sun;*.pct;*.pict;*.mac;*.pntg;*.ico;*.cur;*.wmf;*.eps;*.cal;*.cals;*.pcd;*.wpg;"
        "*.msp;*.img;*.fax;*.g3;*.heic;*.heif;*.hif;*.avif;*.webp;*.jxl;*.dng;");
    const QString clips = QStringLiteral("*.mpg;*.mpeg;*.mov;*.avi;") + mp4Pattern() +
                          QStringLiteral(";*.webm;*.mkv;*.mts;*.m2ts");
    return pictures + cameraRawPattern() + QLatin1Char(';') + clips;
}

const QList<FileKind>& TodaysFileKinds() {
    static const QList<FileKind> kinds = {
        {QStringLiteral("HEIC/HEIF"), QStringLiteral("*.heic;*.heif;*.hif")},
        {QStringLiteral("AVIF"), QStringLiteral("*.avif")},
        {QStringLiteral("WebP"), QStringLiteral("*.webp")},
        {QStringLiteral("JPEG XL"), QStringLiteral("*.jxl")},
        {QStringLiteral("DNG"), QStringLiteral("*.dng")},
        {QStringLiteral("Camera Raw"), cameraRawPattern()},
        {QStringLiteral("GIF"), QStringLiteral("*.gif")},
        {QStringLiteral("MP4"), mp4Pattern()},
        {QStringLiteral("WebM"), QStringLiteral("*.webm")},
        {QStringLiteral("MKV"), QStringLiteral("*.mkv")}};
    return kinds;
}

} // namespace q32
