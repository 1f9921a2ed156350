#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/DirectCodecs.h"

namespace q32::imaging {
namespace {

// Structured field identifiers of the document, the page and the image object.
enum : quint32 {
    BeginDocument = 0xD3A8A8,
    EndDocument = 0xD3A9A8,
    BeginPage = 0xD3A8AF,
    EndPage = 0xD3A9AF,
    BeginActiveEnvironment = 0xD3A8C9,
    EndActiveEnvironment = 0xD3A9C9,
    PageDescriptor = 0xD3A6AF,
    BeginImage = 0xD3A8FB,
    EndImage = 0xD3A9FB,
    BeginObjectEnvironment = 0xD3A8C7,
    EndObjectEnvironment = 0xD3A9C7,
    ObjectAreaDescriptor = 0xD3A66B,
    ObjectAreaPosition = 0xD3AC6B,
    ImageDataDescriptor = 0xD3A6FB,
    ImagePictureData = 0xD3EEFB,
};

constexpr int kFieldData = 32767 - 8; // the most a structured field carries
constexpr quint16 kPointsPer10Inches = 960;

void AppendBe24(QByteArray& out, quint32 v) {
    out.append(char((v >> 16) & 0xFF));
    out.append(char((v >> 8) & 0xFF));
    out.append(char(v & 0xFF));
}

// Carriage control, the eight-byte introducer (length, identifier, flags, sequence), data.
void AppendField(QByteArray& out, quint32 id, const QByteArray& data) {
    out.append(char(0x5A));
    AppendBe<quint16>(out, quint16(8 + data.size()));
    AppendBe24(out, id);
    out.append(3, '\0');
    out.append(data);
}

// Names are eight EBCDIC characters; ours are capitals and digits.
QByteArray Name(const char* ascii) {
    QByteArray name;
    for (const char* c = ascii; *c && name.size() < 8; ++c) {
        const char ch = *c;
        if (ch >= '0' && ch <= '9')
            name.append(char(0xF0 + (ch - '0')));
        else if (ch >= 'A' && ch <= 'I')
            name.append(char(0xC1 + (ch - 'A')));
        else if (ch >= 'J' && ch <= 'R')
            name.append(char(0xD1 + (ch - 'J')));
        else if (ch >= 'S' && ch <= 'Z')
            name.append(char(0xE2 + (ch - 'S')));
        else
            name.append(char(0x40));
    }
    return name.leftJustified(8, char(0x40));
}

// The image segment: size, encoding, one bit per image point, the compressed data.
QByteArray ImageSegment(int width, int height, quint8 compression, const QByteArray& data) {
    QByteArray s;
    s.append("\x70\x00", 2);     // begin segment
    s.append("\x91\x01\xFF", 3); // begin image content
    s.append("\x94\x09\x00", 3); // image size, in points per ten inches
    AppendBe<quint16>(s, kPointsPer10Inches);
    AppendBe<quint16>(s, kPointsPer10Inches);
    AppendBe<quint16>(s, quint16(width));
    AppendBe<quint16>(s, quint16(height));
    s.append("\x95\x02", 2); // image encoding: the CCITT coding, recorded top to bottom
    s.append(char(compression));
    s.append(char(0x01));
    s.append("\x96\x01\x01", 3); // one bit per image point
    for (qsizetype at = 0; at < data.size(); at += 0x8000) {
        const QByteArray part = data.mid(at, 0x8000);
        s.append("\xFE\x92", 2);
        AppendBe<quint16>(s, quint16(part.size()));
        s.append(part);
    }
    s.append("\x93\x00", 2); // end image content
    s.append("\x71\x00", 2); // end segment
    return s;
}

} // namespace

QByteArray EncodeIoca(const QImage& image, FaxCoding coding) {
    const int w = image.width(), h = image.height();
    if (w < 1 || h < 1 || w > 0x7FFF || h > 0x7FFF || coding == FaxCoding::Rle)
        return {};
    const QByteArray fax = EncodeFax(image, coding);
    if (fax.isEmpty())
        return {};
    const quint8 compression = coding == FaxCoding::Group3       ? 0x80
                               : coding == FaxCoding::Group3TwoD ? 0x81
                                                                 : 0x82;
    const QByteArray document = Name("QDOC0001"), page = Name("QPAG0001"),
                     object = Name("QIMG0001");
    QByteArray out;
    AppendField(out, BeginDocument, document + QByteArray(2, '\0'));
    AppendField(out, BeginPage, page);
    AppendField(out, BeginActiveEnvironment, page);
    QByteArray pgd("\x00\x00", 2);
    AppendBe<quint16>(pgd, kPointsPer10Inches);
    AppendBe<quint16>(pgd, kPointsPer10Inches);
    AppendBe24(pgd, quint32(w));
    AppendBe24(pgd, quint32(h));
    pgd.append(3, '\0');
    AppendField(out, PageDescriptor, pgd);
    AppendField(out, EndActiveEnvironment, page);
    AppendField(out, BeginImage, object);
    AppendField(out, BeginObjectEnvironment, object);
    // Object area: its position triplet, its units and its size, placed at the page's origin.
    QByteArray obd("\x03\x43\x01\x08\x4B\x00\x00", 7);
    AppendBe<quint16>(obd, kPointsPer10Inches);
    AppendBe<quint16>(obd, kPointsPer10Inches);
    obd.append("\x09\x4C\x02", 3);
    AppendBe24(obd, quint32(w));
    AppendBe24(obd, quint32(h));
    AppendField(out, ObjectAreaDescriptor, obd);
    QByteArray obp("\x01\x17", 2);
    obp.append(6, '\0');
    obp.append("\x00\x00\x2D\x00", 4);
    obp.append(6, '\0');
    obp.append("\x00\x00\x2D\x00\x01", 5);
    AppendField(out, ObjectAreaPosition, obp);
    QByteArray idd(1, '\0');
    AppendBe<quint16>(idd, kPointsPer10Inches);
    AppendBe<quint16>(idd, kPointsPer10Inches);
    AppendBe<quint16>(idd, quint16(w));
    AppendBe<quint16>(idd, quint16(h));
    AppendField(out, ImageDataDescriptor, idd);
    AppendField(out, EndObjectEnvironment, object);
    const QByteArray segment = ImageSegment(w, h, compression, fax);
    for (qsizetype at = 0; at < segment.size(); at += kFieldData)
        AppendField(out, ImagePictureData, segment.mid(at, kFieldData));
    AppendField(out, EndImage, object);
    AppendField(out, EndPage, page);
    AppendField(out, EndDocument, document);
    return out;
}

} // namespace q32::imaging
