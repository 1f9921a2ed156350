#include "output/export/ExportFormats.h"

#include "album/FormatTable.h"
#include "platform/imaging/Imaging.h"

#include <algorithm>

namespace q32 {
namespace {

struct ListRow {
    const char* text;
    QList<ExportFlavor> flavors;
    QList<int> bits;
    int defaultBits;
    bool append;
    bool quality;
    bool stamp;
};

// The list in its order; its position is the format number remembered between exports.
// Each flavor of TIFF JPEG, TIFF CCITT and IBM IOCA has a code of its own.
QList<ListRow> ListRows() {
    auto one = [](int code) { return QList<ExportFlavor>{{QString(), code}}; };
    return {
        {"LEAD", {{QString(), 20}}, {1, 8, 24}, 1, false, true, true},
        {"JPEG (JFIF)",
         {{"4:4:4", 10}, {"4:2:2", 23}, {"4:1:1", 21}},
         {8, 24},
         24,
         false,
         true,
         true},
        {"TIFF JPEG (JTIF)",
         {{"4:4:4", 11}, {"4:2:2", 24}, {"4:1:1", 22}},
         {24},
         24,
         false,
         true,
         false},
        {"CALS", one(50), {1}, 1, false, false, false},
        {"TIFF CCITT",
         {{"CCITT", 25}, {"G3 1D", 27}, {"G3 2D", 28}, {"G4", 29}},
         {1},
         1,
         true,
         false,
         false},
        {"FAX", {{"G3 1D", 66}, {"G3 2D", 67}, {"G4", 68}}, {1}, 1, false, false, false},
        {"EPS", one(16), {8}, 8, false, false, false},
        {"GEM Image", one(52), {1}, 1, false, false, false},
        {"IBM IOCA", {{"G3 1D", 71}, {"G3 2D", 72}, {"G4", 73}}, {1}, 1, false, false, false},
        {"Macintosh PICTURE", one(56), {1, 4, 8, 24}, 8, false, false, false},
        {"MacPaint", one(51), {1}, 1, false, false, false},
        {"Microsoft Paint", one(53), {1}, 1, false, false, false},
        {"OS/2 BMP", one(14), {1, 4, 8, 24}, 8, false, false, false},
        {"PCX", one(1), {1, 4, 8, 24}, 8, true, false, false},
        {"PNG", one(75), {1, 4, 8, 24}, 8, false, false, false},
        {"PSD", one(76), {1, 8, 24}, 8, false, false, false},
        {"SUN Raster", one(55), {1, 4, 8, 24, 32}, 24, false, false, false},
        {"TGA", one(4), {8, 16, 24, 32}, 24, false, false, false},
        {"TIFF", {{"Uncompressed", 3}, {"LZW", 17}}, {1, 4, 8, 16, 24}, 24, true, false, false},
        {"Windows BMP", one(6), {1, 4, 8, 16, 24, 32}, 8, false, false, false},
        {"Winfax", {{"G3 1D", 69}, {"G4", 70}}, {1}, 1, true, false, false},
        {"Windows Metafile", one(15), {8, 24}, 24, false, false, false},
        {"WordPerfect Raster", one(54), {1, 4, 8}, 8, false, false, false},
        {"Kodak FlashPix", one(80), {8, 24}, 24, false, false, false},
    };
}

int PreferredBits(const QList<int>& bits, int wanted) {
    if (bits.contains(wanted))
        return wanted;
    return bits.contains(24) ? 24 : bits.last();
}

QList<ExportFormat> Build() {
    QList<ExportFormat> out;
    QList<int> covered;
    const QList<ListRow> rows = ListRows();
    for (int index = 0; index < rows.size(); ++index) {
        const ListRow& row = rows[index];
        ExportFormat f;
        f.index = index;
        f.text = QLatin1String(row.text);
        f.bits = row.bits;
        for (ExportFlavor flavor : row.flavors) {
            covered << flavor.code;
            if (flavor.code == 80) // the type prompt picks one of 80 to 83
                covered << 81 << 82 << 83;
            flavor.writable = CanWriteFormat(flavor.code);
            f.flavors << flavor;
            // Every flavor that can be written must write every bit depth left enabled.
            if (flavor.writable) {
                const QList<int> writable = WritableBits(flavor.code);
                f.bits.removeIf([&](int b) { return !writable.contains(b); });
            }
        }
        Q_ASSERT(!f.bits.isEmpty());
        f.defaultBits = PreferredBits(f.bits, row.defaultBits);
        f.append = row.append;
        f.quality = row.quality;
        f.stamp = row.stamp;
        out << f;
    }
    // Formats the imaging layer learnt later join at the end, named by the format table.
    int next = int(rows.size());
    for (int code = 1; code < 256; ++code) {
        if (covered.contains(code) || !CanWriteFormat(code))
            continue;
        ExportFormat f;
        f.index = next++;
        f.text =
            FormatName(code).isEmpty() ? QStringLiteral("Format %1").arg(code) : FormatName(code);
        f.flavors = {{QString(), code}};
        f.bits = WritableBits(code);
        std::sort(f.bits.begin(), f.bits.end());
        f.defaultBits = PreferredBits(f.bits, 24);
        f.quality = UsesQualityFactor(code);
        out << f;
    }
    return out;
}

} // namespace

const QList<ExportFormat>& ExportFormats() {
    static const QList<ExportFormat> formats = Build();
    return formats;
}

const ExportFormat* ExportFormatByIndex(int index) {
    for (const ExportFormat& f : ExportFormats())
        if (f.index == index)
            return &f;
    return nullptr;
}

std::optional<NearestChoice> NearestWritable(int code, int bits) {
    // Compressed colour goes to JPEG, black and white to the TIFF CCITT coding closest to it
    // (pages can still be appended).
    struct Near {
        int from, to, bits;
    };
    static const Near table[] = {{20, 10, 0}, {26, 29, 1}, {69, 27, 1}, {70, 29, 1}};
    for (const Near& n : table) {
        if (n.from != code)
            continue;
        for (const ExportFormat& g : ExportFormats())
            for (int at = 0; at < g.flavors.size(); ++at)
                if (g.flavors[at].code == n.to && g.flavors[at].writable)
                    return NearestChoice{g.index, at,
                                         n.bits ? n.bits : PreferredBits(g.bits, bits)};
    }
    return std::nullopt;
}

int StartingBits(const ExportFormat& f, int pictureBits) {
    // Deep files are saved with 8 bits per sample.
    const int own = pictureBits == 48 ? 24 : pictureBits == 64 ? 32 : pictureBits;
    if (own <= 0)
        return f.defaultBits;
    // JPEG, Photoshop, EPS and FlashPix files of 8 bits are grey, and 16 bits are grey or 5 bits
    // per primary: neither carries a colour picture of another depth.
    static const QList<int> greyAt8 = {10, 21, 23, 11, 22, 24, 76, 16, 80};
    const bool grey8 = std::any_of(f.flavors.cbegin(), f.flavors.cend(),
                                   [](const ExportFlavor& v) { return greyAt8.contains(v.code); });
    QList<int> faithful = f.bits;
    faithful.removeIf([&](int b) { return (b == 8 && grey8) || (b == 16 && own != 16); });
    std::sort(faithful.begin(), faithful.end());
    if (faithful.contains(own))
        return own;
    if (own > 24 && faithful.contains(24))
        return 24; // only the transparency is lost
    for (int b : faithful)
        if (b > own)
            return b;
    return f.defaultBits;
}

namespace {

// Codes and the extensions their files carry. A code's first entry is the extension given to
// its files; an extension's first entry is the code that extension picks for an export.
struct CodeExtension {
    int code;
    const char* extension;
};
constexpr CodeExtension kExtensions[] = {
    {10, "jpg"},  {10, "jpeg"}, {10, "jpe"}, {10, "jfif"}, {21, "jpg"},  {23, "jpg"},  {3, "tif"},
    {3, "tiff"},  {17, "tif"},  {11, "tif"}, {22, "tif"},  {24, "tif"},  {25, "tif"},  {27, "tif"},
    {28, "tif"},  {29, "tif"},  {75, "png"}, {6, "bmp"},   {6, "dib"},   {14, "bmp"},  {1, "pcx"},
    {1, "dcx"},   {4, "tga"},   {76, "psd"}, {55, "ras"},  {55, "sun"},  {56, "pct"},  {56, "pict"},
    {16, "eps"},  {15, "wmf"},  {50, "cal"}, {50, "cals"}, {51, "mac"},  {52, "img"},  {53, "msp"},
    {54, "wpg"},  {66, "fax"},  {67, "fax"}, {68, "g4"},   {85, "heic"}, {85, "heif"}, {86, "avif"},
    {87, "webp"}, {88, "jxl"},  {84, "gif"}, {71, "ica"},  {72, "ica"},  {73, "ica"},  {80, "fpx"},
    {81, "fpx"},  {82, "fpx"},  {83, "fpx"}, {20, "cmp"},  {26, "cmp"},
};

} // namespace

QString ExportExtension(int code) {
    for (const CodeExtension& e : kExtensions)
        if (e.code == code)
            return QLatin1String(e.extension);
    return QStringLiteral("img");
}

int CodeForExtension(const QString& extension) {
    const QString wanted = extension.toLower();
    for (const CodeExtension& e : kExtensions)
        if (wanted == QLatin1String(e.extension))
            return e.code;
    return 0;
}

bool ExtensionFitsCode(const QString& extension, int code) {
    // "tiff" fits every TIFF kind, "jpeg" every JPEG flavor: the extensions of one kind.
    const int named = CodeForExtension(extension);
    const bool known = std::any_of(std::begin(kExtensions), std::end(kExtensions),
                                   [code](const CodeExtension& e) { return e.code == code; });
    return named != 0 && known && ExportExtension(named) == ExportExtension(code);
}

QString FileNameForFormat(const QString& path, int code) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > slash + 1;
    const QString base =
        hasExtension && CodeForExtension(path.mid(dot + 1)) != 0 ? path.left(dot) : path;
    return base + QLatin1Char('.') + ExportExtension(code);
}

std::optional<int> ExportFormatForExtension(const QString& extension) {
    const int code = CodeForExtension(extension);
    for (const ExportFormat& f : ExportFormats())
        for (const ExportFlavor& flavor : f.flavors)
            if (code != 0 && flavor.code == code)
                return f.index;
    return std::nullopt;
}

} // namespace q32
