#include "output/ExportFormats.h"

#include "album/FormatTable.h"
#include "platform/imaging/Imaging.h"

#include <algorithm>

namespace q32 {
namespace {

struct ClassicRow {
    const char* text;
    QList<ExportFlavor> flavors;
    QList<int> bits;
    int defaultBits;
    bool append;
    bool quality;
    bool stamp;
};

// The classic list, in its order; its position is the format number remembered between exports.
// The TIFF JPEG, TIFF CCITT and IBM IOCA codes fill the gaps the classic window left open.
QList<ClassicRow> ClassicRows() {
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
    const QList<ClassicRow> rows = ClassicRows();
    for (int index = 0; index < rows.size(); ++index) {
        const ClassicRow& row = rows[index];
        ExportFormat f;
        f.index = index;
        f.text = QLatin1String(row.text);
        f.bits = row.bits;
        for (const ExportFlavor& flavor : row.flavors) {
            covered << flavor.code;
            if (!CanWriteFormat(flavor.code))
                continue;
            f.flavors << flavor;
            // Every flavor must be able to write every bit depth left enabled.
            const QList<int> writable = WritableBits(flavor.code);
            f.bits.removeIf([&](int b) { return !writable.contains(b); });
        }
        if (f.flavors.isEmpty() || f.bits.isEmpty())
            continue;
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

QString ExportExtension(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("pcx");
    case 3:
    case 11:
    case 17:
    case 22:
    case 24:
    case 25:
    case 27:
    case 28:
    case 29:
        return QStringLiteral("tif");
    case 4:
        return QStringLiteral("tga");
    case 6:
    case 14:
        return QStringLiteral("bmp");
    case 10:
    case 21:
    case 23:
        return QStringLiteral("jpg");
    case 15:
        return QStringLiteral("wmf");
    case 16:
        return QStringLiteral("eps");
    case 50:
        return QStringLiteral("cal");
    case 51:
        return QStringLiteral("mac");
    case 52:
        return QStringLiteral("img");
    case 53:
        return QStringLiteral("msp");
    case 54:
        return QStringLiteral("wpg");
    case 55:
        return QStringLiteral("ras");
    case 56:
        return QStringLiteral("pct");
    case 66:
    case 67:
        return QStringLiteral("fax");
    case 68:
        return QStringLiteral("g4");
    case 75:
        return QStringLiteral("png");
    case 76:
        return QStringLiteral("psd");
    case 85:
        return QStringLiteral("heic");
    case 86:
        return QStringLiteral("avif");
    case 87:
        return QStringLiteral("webp");
    case 88:
        return QStringLiteral("jxl");
    default:
        return QStringLiteral("img");
    }
}

} // namespace q32
