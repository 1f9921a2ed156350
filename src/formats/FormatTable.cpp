#include "formats/FormatTable.h"

#include <utility>

namespace q32 {
namespace {

enum Flag { kNone = 0, kRead = 1, kAppend = 2, kLossy = 4, kGrey8 = 8 };

struct Row {
    int code;
    const char* name;
    MediaKind kind;
    const char* extensions; // ";" between them
    int flags;
    QList<int> writerBits;
};

constexpr MediaKind S = MediaKind::Still;
constexpr MediaKind G = MediaKind::Gif;
constexpr MediaKind V = MediaKind::Video;

// Codes with no public description of their files (the CMP and noloss formats, WinFax) have no
// writer. Codes 21 and 23 are JPEG flavours files are never recognised as (they read as 10); 84
// is the GIF text every GIF file is stored with, 2 what a GIF under another name is found to be.
QList<FormatFacts> BuildTable() {
    const QList<Row> rows = {
        {1, "ZSoft PCX", S, "pcx;dcx", kRead | kAppend, {1, 4, 8, 24}},
        {2, "Graphic Interchange Format", G, "gif", kRead, {}},
        {3, "TIFF (uncompressed)", S, "tif;tiff", kRead | kAppend, {1, 4, 8, 16, 24}},
        {4, "TrueVision Targa", S, "tga", kRead, {8, 16, 24, 32}},
        {5, "LEAD CMP", S, "", kNone, {}},
        {6, "Microsoft Windows Bitmap", S, "bmp;dib", kRead, {1, 4, 8, 16, 24, 32}},
        {9, "Bitmap", S, "", kNone, {}},
        {10,
         "JPEG File Interchange Format",
         S,
         "jpg;jpeg;jpe;jfif",
         kRead | kLossy | kGrey8,
         {8, 24}},
        {11, "TIFF (compressed)", S, "tif", kRead | kAppend | kLossy | kGrey8, {8, 24}},
        {14, "OS/2 BMP", S, "bmp", kRead, {1, 4, 8, 24}},
        {15, "Microsoft Windows Metafile", S, "wmf", kRead, {1, 4, 8, 24}},
        {16, "Encapsulated PostScript", S, "eps", kRead | kGrey8, {8, 24}},
        {17, "TIFF (compressed)", S, "tif", kRead | kAppend, {1, 4, 8, 16, 24}},
        {20, "LEAD CMP", S, "cmp", kNone, {}},
        {21, "JPEG File Interchange Format", S, "jpg", kLossy | kGrey8, {8, 24}},
        {22, "LEAD JTIF", S, "tif", kRead | kLossy | kGrey8, {24}},
        {23, "JPEG", S, "jpg", kLossy | kGrey8, {8, 24}},
        {24, "LEAD JTIF", S, "tif", kRead | kLossy | kGrey8, {24}},
        {25, "CCITT FAX", S, "tif", kRead | kAppend, {1}},
        {26, "LEAD 1-bit", S, "cmp", kNone, {}},
        {27, "Fax - CCITT Group 3 1D", S, "tif", kRead | kAppend, {1}},
        {28, "Fax - CCITT Group 3 2D", S, "tif", kRead | kAppend, {1}},
        {29, "Fax - CCITT Group 4", S, "tif", kRead | kAppend, {1}},
        {30, "LEAD CMP - noloss", S, "", kNone, {}},
        {50, "CALS Raster", S, "cal;cals", kRead, {1}},
        {51, "Mac Paint", S, "mac;pntg", kRead, {1}},
        {52, "GEM Image", S, "img", kRead, {1}},
        {53, "Microsoft Paint", S, "msp", kRead, {1}},
        {54, "WordPerfect", S, "wpg", kRead, {1, 4, 8}},
        {55, "Sun Raster", S, "ras;sun", kRead, {1, 4, 8, 24, 32}},
        {56, "Macintosh Pict", S, "pct;pict", kRead, {1, 4, 8, 24}},
        {57, "Kodak PhotoCD", S, "pcd", kRead, {}},
        {58, "DXF", S, "", kNone, {}},
        {59, "Video for Windows", V, "avi", kRead, {}},
        {60, "Wave audio", S, "", kNone, {}},
        {62, "CGM", S, "", kNone, {}},
        {63, "EPS with an embedded TIFF file", S, "eps", kRead, {}},
        {64, "EPS with an embedded WMF file", S, "eps", kRead, {}},
        {65, "LEAD - noloss", S, "", kNone, {}},
        {66, "Fax - CCITT Group 3 1D", S, "fax", kNone, {1}},
        {67, "Fax - CCITT Group 3 2D", S, "fax", kNone, {1}},
        {68, "Fax - CCITT Group 4", S, "g4", kNone, {1}},
        {69, "WinFax - CCITT Group 3", S, "", kNone, {}},
        {70, "WinFax - CCITT Group 4", S, "", kNone, {}},
        {71, "IBM IOCA, compressed using CCITT G3 1D", S, "ica", kNone, {1}},
        {72, "IBM IOCA, compressed using CCITT G3 2D", S, "ica", kNone, {1}},
        {73, "IBM IOCA, compressed using CCITT G4", S, "ica", kNone, {1}},
        {74, "OS/2 BMP version 2.x", S, "bmp", kRead, {}},
        {75, "Portable Network Graphics", S, "png", kRead, {1, 4, 8, 24, 32}},
        {76, "Adobe Photoshop 3.0", S, "psd", kRead | kGrey8, {1, 8, 24}},
        {77, "Raw FAX, compressed using CCITT G3 1D", S, "fax;g3", kRead, {}},
        {78, "Raw FAX, compressed using CCITT G3 2D", S, "", kNone, {}},
        {79, "Raw FAX, compressed using CCITT G4", S, "", kNone, {}},
        {80, "Kodak Flashpix - uncompressed", S, "fpx", kGrey8, {8, 24}},
        {81, "Kodak Flashpix - compressed", S, "fpx", kGrey8, {8, 24}},
        {82, "Kodak Flashpix - compressed with JPEG", S, "fpx", kGrey8, {8, 24}},
        {83, "Kodak Flashpix - compressed with JPEG with QFACTOR", S, "fpx", kGrey8, {8, 24}},
        {84, "", G, "gif", kNone, {}},
        // HEIC and AVIF are written only where libheif has the encoder (see CanWriteFormat).
        {kHeifCode,
         "High Efficiency Image File Format (HEIC)",
         S,
         "heic;heif;hif",
         kRead | kLossy,
         {24, 32}},
        {kAvifCode, "AV1 Image File Format (AVIF)", S, "avif", kRead | kLossy, {24, 32}},
        {kWebpCode, "WebP", S, "webp", kRead | kLossy, {24, 32}},
        {kJxlCode, "JPEG XL", S, "jxl", kRead | kLossy, {24, 32}},
        {kDngCode, "Adobe Digital Negative (DNG)", S, "dng", kRead, {}},
        {kCameraRawCode,
         "Camera Raw",
         S,
         "cr2;cr3;crw;nef;nrw;arw;srf;sr2;orf;rw2;rwl;raf;pef;srw;x3f;erf;kdc;dcr;mrw;3fr;iiq;mos;"
         "mef",
         kRead,
         {}},
        {91, "Windows Icon", S, "ico", kRead, {}},
        {92, "Windows Cursor", S, "cur", kRead, {}},
        {93, "MPEG", V, "mpg;mpeg;mts;m2ts", kRead, {}},
        {94, "Apple Quicktime", V, "mov", kRead, {}},
        {kMpeg4VideoCode, "MPEG-4 Video", V, "mp4;m4v;3gp", kRead, {}},
        {kWebmVideoCode, "WebM Video", V, "webm", kRead, {}},
        {kMatroskaVideoCode, "Matroska Video", V, "mkv", kRead, {}},
    };
    QList<FormatFacts> table;
    for (const Row& row : rows) {
        FormatFacts f;
        f.code = row.code;
        f.name = QString::fromLatin1(row.name);
        f.kind = row.kind;
        f.extensions =
            QString::fromLatin1(row.extensions).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        f.readable = row.flags & kRead;
        f.writerBits = row.writerBits;
        f.appendsPages = row.flags & kAppend;
        f.qualityFactor = row.flags & kLossy;
        f.eightBitsGrey = row.flags & kGrey8;
        table << f;
    }
    return table;
}

QString extensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return QString();
    return path.mid(dot + 1).toLower();
}

} // namespace

const QList<FormatFacts>& KnownFormats() {
    static const QList<FormatFacts> table = BuildTable();
    return table;
}

const FormatFacts* FindFormat(int code) {
    for (const FormatFacts& f : KnownFormats())
        if (f.code == code)
            return &f;
    return nullptr;
}

QString FormatName(int code) {
    const FormatFacts* f = FindFormat(code);
    return f ? f->name : QString();
}

QString FormatText(int code) {
    // The pattern "00": at least two digits, a minus sign in front of negative codes.
    const QString digits =
        QString::number(code < 0 ? -code : code).rightJustified(2, QLatin1Char('0'));
    return (code < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(' ') +
           FormatName(code);
}

int FormatCodeOf(const QString& formatText) {
    if (formatText.size() < 3 || formatText[2] != QLatin1Char(' '))
        return 0;
    bool ok = false;
    const int code = formatText.left(2).toInt(&ok);
    return ok && code > 0 ? code : 0;
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

MediaKind MediaKindOfFormat(const QString& formatText) {
    const FormatFacts* f = FindFormat(FormatCodeOf(formatText));
    return f ? f->kind : MediaKind::Still;
}

MediaKind MediaKindOfFile(const QString& path) {
    const FormatFacts* f = FindFormat(CodeForExtension(extensionOf(path)));
    return f ? f->kind : MediaKind::Still;
}

bool IsClipCode(int code) {
    const FormatFacts* f = FindFormat(code);
    return f && f->kind == MediaKind::Video;
}

bool IsClipFormat(const QString& formatText) {
    return MediaKindOfFormat(formatText) == MediaKind::Video;
}

bool IsClipFileName(const QString& path) {
    return MediaKindOfFile(path) == MediaKind::Video;
}

QString FileExtension(int code) {
    const FormatFacts* f = FindFormat(code);
    return f && !f->extensions.isEmpty() ? f->extensions.first() : QString();
}

int CodeForExtension(const QString& extension) {
    const QString wanted = extension.toLower();
    if (wanted.isEmpty())
        return 0;
    for (const FormatFacts& f : KnownFormats())
        if (f.extensions.contains(wanted))
            return f.code;
    return 0;
}

bool ExtensionFitsCode(const QString& extension, int code) {
    // "tiff" fits every TIFF kind, "jpeg" every JPEG flavor: the extensions of one kind.
    const int named = CodeForExtension(extension);
    return named != 0 && !FileExtension(code).isEmpty() &&
           FileExtension(named) == FileExtension(code);
}

QString SoundTypeOf(const QString& path) {
    const QString tail = path.right(3).toLower();
    if (tail == QLatin1String("wav"))
        return QStringLiteral("WAVE");
    if (tail == QLatin1String("mid"))
        return QStringLiteral("MIDI");
    return QStringLiteral("OTHER");
}

QString ReadableFilesPattern() {
    QStringList patterns;
    for (const FormatFacts& f : KnownFormats())
        if (f.readable)
            for (const QString& ext : f.extensions)
                if (!patterns.contains(QStringLiteral("*.") + ext))
                    patterns << QStringLiteral("*.") + ext;
    return patterns.join(QLatin1Char(';'));
}

const QList<FileKind>& TodaysFileKinds() {
    static const QList<FileKind> kinds = [] {
        const QList<std::pair<const char*, int>> boxes = {{"HEIC/HEIF", kHeifCode},
                                                          {"AVIF", kAvifCode},
                                                          {"WebP", kWebpCode},
                                                          {"JPEG XL", kJxlCode},
                                                          {"DNG", kDngCode},
                                                          {"Camera Raw", kCameraRawCode},
                                                          {"GIF", 84},
                                                          {"MP4", kMpeg4VideoCode},
                                                          {"WebM", kWebmVideoCode},
                                                          {"MKV", kMatroskaVideoCode}};
        QList<FileKind> out;
        for (const auto& [caption, code] : boxes)
            out << FileKind{QString::fromLatin1(caption),
                            QStringLiteral("*.") +
                                FindFormat(code)->extensions.join(QStringLiteral(";*."))};
        return out;
    }();
    return kinds;
}

} // namespace q32
