#pragma once
// Little-endian TIFF files put together field by field, for the tests that need a file no tool
// writes: a DNG with an embedded JPEG preview, a TIFF whose header lies.

#include <QByteArray>
#include <QList>

namespace q32::test {

class TiffBuilder {
public:
    enum Type : quint16 { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5, SRational = 10 };

    // A new directory; the first one made is IFD 0, and top-level ones chain in order.
    int addDirectory(bool topLevel = true);
    void add(int ifd, quint16 tag, Type type, const QList<qint64>& values);
    void addAscii(int ifd, quint16 tag, const QByteArray& text);
    // StripOffsets and StripByteCounts for one strip holding data.
    void addStrip(int ifd, const QByteArray& data);
    // A picture in one strip: its size, a depth per sample, compression and photometric
    // interpretation; the sample count and rows per strip follow from them.
    void addPicture(int ifd, int width, int height, const QList<qint64>& bits, int compression,
                    int photometric, const QByteArray& strip);
    // A field whose value is the offset of another directory: SubIFDs (330) or the EXIF
    // directory (34665).
    void link(int ifd, quint16 tag, const QList<int>& targets);
    // The offset written as IFD 0's "next directory" link, whatever the chain says (0: keep).
    void setNextOfFirst(quint32 offset) { m_nextOfFirst = offset; }

    QByteArray build() const;

private:
    struct Field {
        quint16 tag;
        quint16 type;
        quint32 count;
        QByteArray value;   // the values, little-endian
        int strip = -1;     // StripOffsets of this strip
        QList<int> targets; // offsets of these directories
    };
    struct Directory {
        QList<Field> fields;
        bool topLevel = true;
    };
    QList<Directory> m_dirs;
    QList<QByteArray> m_strips;
    quint32 m_nextOfFirst = 0;
};

} // namespace q32::test
