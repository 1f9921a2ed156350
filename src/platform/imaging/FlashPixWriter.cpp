#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/DirectCodecs.h"

#include <QBuffer>
#include <cstring>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

namespace q32::imaging {
namespace {

constexpr int kTile = 64;

// The FlashPix class and format identifiers differ only in their first four bytes.
QByteArray FlashPixId(quint32 first) {
    QByteArray id;
    AppendLe<quint32>(id, first);
    AppendLe<quint16>(id, 0xC154);
    AppendLe<quint16>(id, 0x11CE);
    id.append("\x85\x53\x00\xAA\x00\xA1\xF9\x5B", 8);
    return id;
}

// Byte order mark, format version, system and class: the head of every stream here.
QByteArray StreamHead(const QByteArray& classId, quint32 last) {
    QByteArray head;
    AppendLe<quint16>(head, 0xFFFE);
    AppendLe<quint16>(head, 0);
    AppendLe<quint32>(head, 0x00020006);
    head.append(classId);
    AppendLe<quint32>(head, last);
    return head;
}

enum : quint32 { VtI4 = 3, VtR4 = 4, VtUi4 = 19, VtBlob = 65 };

struct Property {
    quint32 id;
    quint32 type;
    QByteArray value; // as stored after the type
};

Property Ui4(quint32 id, quint32 v) {
    QByteArray b;
    AppendLe<quint32>(b, v);
    return {id, VtUi4, b};
}

Property R4(quint32 id, float v) {
    quint32 bits;
    std::memcpy(&bits, &v, 4);
    QByteArray b;
    AppendLe<quint32>(b, bits);
    return {id, VtR4, b};
}

// A property set stream with one section.
QByteArray PropertySet(const QByteArray& formatId, const QList<Property>& properties) {
    QByteArray values;
    QByteArray index;
    const quint32 start = 8 + 8 * quint32(properties.size());
    for (const Property& p : properties) {
        AppendLe<quint32>(index, p.id);
        AppendLe<quint32>(index, start + quint32(values.size()));
        AppendLe<quint32>(values, p.type);
        values.append(p.value);
        while (values.size() % 4)
            values.append('\0');
    }
    QByteArray section;
    AppendLe<quint32>(section, start + quint32(values.size()));
    AppendLe<quint32>(section, quint32(properties.size()));
    section += index + values;
    QByteArray out = StreamHead(QByteArray(16, '\0'), 1);
    out += formatId;
    AppendLe<quint32>(out, quint32(out.size() + 4));
    return out + section;
}

struct Tile {
    quint32 kind = 0; // 0 stored as it is, 1 one colour, 2 JPEG
    QByteArray subtype = QByteArray(4, '\0');
    QByteArray data;
};

// A tile of the level at (x, y), its edges repeated where the picture ends.
QImage TileAt(const QImage& level, int x, int y) {
    QImage tile(kTile, kTile, level.format());
    const int bytes = level.depth() / 8;
    for (int ty = 0; ty < kTile; ++ty) {
        const uchar* s = level.constScanLine(qMin(y + ty, level.height() - 1));
        uchar* d = tile.scanLine(ty);
        for (int tx = 0; tx < kTile; ++tx)
            std::memcpy(d + tx * bytes, s + qMin(x + tx, level.width() - 1) * bytes, bytes);
    }
    return tile;
}

QByteArray Samples(const QImage& tile) {
    QByteArray out;
    const int row = kTile * tile.depth() / 8;
    for (int y = 0; y < kTile; ++y)
        out.append(reinterpret_cast<const char*>(tile.constScanLine(y)), row);
    return out;
}

Tile EncodeTile(const QImage& level, int x, int y, int kind, int quality) {
    const QImage tile = TileAt(level, x, y);
    Tile t;
    if (kind >= 2) {
        QBuffer jpeg(&t.data);
        jpeg.open(QIODevice::WriteOnly);
        tile.save(&jpeg, "JPG", quality);
        t.kind = 2;
        const bool colour = tile.format() != QImage::Format_Grayscale8;
        // Channels interleaved, chroma halved both ways, RGB turned to YCbCr; tables inside.
        t.subtype = colour ? QByteArray("\0\x22\x01\0", 4) : QByteArray(4, '\0');
        return t;
    }
    const QByteArray samples = Samples(tile);
    const int bytes = level.depth() / 8;
    bool single = kind == 1;
    for (qsizetype i = bytes; single && i < samples.size(); ++i)
        single = samples[i] == samples[i % bytes];
    if (single) {
        t.kind = 1;
        t.subtype = samples.left(bytes).leftJustified(4, '\0');
    } else {
        t.data = samples;
    }
    return t;
}

bool WriteChild(GsfOutfile* parent, const char* name, const QByteArray& bytes) {
    GsfOutput* child = gsf_outfile_new_child(parent, name, FALSE);
    if (!child)
        return false;
    const bool ok = gsf_output_write(child, size_t(bytes.size()),
                                     reinterpret_cast<const guint8*>(bytes.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    return ok;
}

} // namespace

QByteArray EncodeFlashPix(const QImage& image, int bits, int kind, int quality) {
    const bool grey = bits == 8;
    const QImage full =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (full.isNull() || kind < 0 || kind > 3)
        return {};
    // Resolutions halve until the smallest fits in one tile; the last one is the picture.
    QList<QImage> levels{full};
    while (levels.first().width() > kTile || levels.first().height() > kTile) {
        const QImage& larger = levels.first();
        levels.prepend(larger.scaled((larger.width() + 1) / 2, (larger.height() + 1) / 2,
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    const int channels = grey ? 1 : 3;
    QByteArray colour;
    AppendLe<quint32>(colour, 1);
    AppendLe<quint32>(colour, quint32(channels));
    for (int c = 0; c < channels; ++c) // colour space (NIF RGB 3, monochrome 1) and channel
        AppendLe<quint32>(colour, (quint32(grey ? 1 : 3) << 16) | quint32(c));
    QByteArray colourBlob;
    AppendLe<quint32>(colourBlob, quint32(colour.size()));
    colourBlob += colour;

    QList<Property> contents = {
        Ui4(0x01000000, quint32(levels.size())),     Ui4(0x01000002, quint32(full.width())),
        Ui4(0x01000003, quint32(full.height())),     R4(0x01000004, float(full.height()) / 96.0f),
        R4(0x01000005, float(full.width()) / 96.0f), Ui4(0x01000006, 0), // inches
    };
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* root = gsf_outfile_msole_new(memory);
    bool ok = root != nullptr;
    if (ok)
        gsf_outfile_msole_set_class_id(
            GSF_OUTFILE_MSOLE(root),
            reinterpret_cast<const guint8*>(FlashPixId(0x56616700).constData()));
    GsfOutput* store = ok ? gsf_outfile_new_child(root, "Data Object Store 000001", TRUE) : nullptr;
    ok = ok && store;
    if (ok)
        gsf_outfile_msole_set_class_id(
            GSF_OUTFILE_MSOLE(store),
            reinterpret_cast<const guint8*>(FlashPixId(0x56616000).constData()));
    for (int r = 0; ok && r < levels.size(); ++r) {
        const QImage& level = levels[r];
        const quint32 at = quint32(r) << 16;
        contents << Ui4(0x02000000 | at, quint32(level.width()))
                 << Ui4(0x02000001 | at, quint32(level.height()))
                 << Property{0x02000002 | at, VtBlob, colourBlob}
                 << Ui4(0x02000003 | at, 17) // 8-bit unsigned samples
                 << Property{0x02000004 | at, VtI4,
                             QByteArray(r + 1 == levels.size() ? "\0\0\0\0" : "\x08\0\0\0", 4)};
        QByteArray table, data;
        int tiles = 0;
        for (int y = 0; y < level.height(); y += kTile) {
            for (int x = 0; x < level.width(); x += kTile, ++tiles) {
                const Tile t = EncodeTile(level, x, y, kind, quality);
                AppendLe<quint32>(table, t.data.isEmpty() ? 0 : quint32(data.size()));
                AppendLe<quint32>(table, quint32(t.data.size()));
                AppendLe<quint32>(table, t.kind);
                table.append(t.subtype);
                data.append(t.data);
            }
        }
        QByteArray header = StreamHead(FlashPixId(0x00010000), 0);
        for (quint32 v : {36u, quint32(level.width()), quint32(level.height()), quint32(tiles),
                          quint32(kTile), quint32(kTile), quint32(channels), 36u, 16u})
            AppendLe<quint32>(header, v);
        header += table;
        const QByteArray name =
            QStringLiteral("Resolution %1").arg(r, 4, 10, QLatin1Char('0')).toLatin1();
        GsfOutput* resolution = gsf_outfile_new_child(GSF_OUTFILE(store), name.constData(), TRUE);
        ok = resolution && WriteChild(GSF_OUTFILE(resolution), "Subimage 0000 Header", header) &&
             WriteChild(GSF_OUTFILE(resolution), "Subimage 0000 Data",
                        StreamHead(FlashPixId(0x00010100), 0) + data);
        if (resolution) {
            gsf_output_close(resolution);
            g_object_unref(resolution);
        }
    }
    ok = ok && WriteChild(GSF_OUTFILE(store), "\005Image Contents",
                          PropertySet(FlashPixId(0x56616400), contents));
    if (store) {
        gsf_output_close(store);
        g_object_unref(store);
    }
    QByteArray out;
    if (root) {
        ok = gsf_output_close(GSF_OUTPUT(root)) && ok;
        g_object_unref(root);
    }
    if (ok)
        out = QByteArray(
            reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory))),
            qsizetype(gsf_output_size(memory)));
    if (!gsf_output_is_closed(memory)) // closing the compound file closes it too
        gsf_output_close(memory);
    g_object_unref(memory);
    return out;
}

} // namespace q32::imaging
