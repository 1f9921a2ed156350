#pragma once
// Small codecs of our own for simple, documented formats that no library on the system handles:
// Microsoft Paint (read/write), GEM Image (read/write), MacPaint (read/write),
// PCX (1-bit read; 1- and 24-bit write) and DCX pages, 1-bit Sun Raster (write),
// a Windows Metafile holding one bitmap (write; reading goes through libwmf),
// a WordPerfect raster (write; reading goes through ImageMagick),
// and recognising a headerless Group 3 fax stream.
//
// Decoders never trust a declared size: they stop at the end of the data and check every count.

#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
#include <QImage>
#include <functional>

namespace q32::imaging {

// Largest width or height our own decoders accept.
inline constexpr int kOwnCodecMaxSide = 32767;

ImagingCondition DecodeMsp(const QByteArray& data, QImage& out);
QByteArray EncodeMsp(const QImage& image);

ImagingCondition DecodeGem(const QByteArray& data, QImage& out);
QByteArray EncodeGem(const QImage& image);
bool GemLooksValid(const QByteArray& head);

ImagingCondition DecodeMacPaint(const QByteArray& data, QImage& out);
QByteArray EncodeMacPaint(const QImage& image); // crops or pads to 576 x 720
bool MacPaintLooksValid(const QByteArray& head, qint64 fileSize);
inline constexpr int kMacPaintWidth = 576;
inline constexpr int kMacPaintHeight = 720;

// A placeable metafile whose one drawing record stretches a device-independent bitmap.
// bitsPerPixel: 1, 4, 8 or 24 (the image is already reduced for 1, 4, 8).
QByteArray EncodeWmfBitmap(const QImage& image, int bitsPerPixel);
struct WmfSummary {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24; // from the first bitmap record; 24 for a drawing
};
WmfSummary SummariseWmf(const QByteArray& head);

// Encapsulated PostScript holding the picture as one image operator (8 bits: grey; 24: colour).
QByteArray EncodeEps(const QImage& image, int bitsPerPixel);

// A 1-bit, one-plane ZSoft PCX: the header's two colours when they differ, else 0 black and
// 1 white.
ImagingCondition DecodePcxMono(const QByteArray& data, QImage& out);
// ZSoft PCX, run-length coded: 1 bit (one plane) or 24 bits (three planes of 8).
QByteArray EncodePcx(const QImage& image, int bitsPerPixel);
// The same, handed to sink a block at a time; false when sink refuses a block.
using PcxSink = std::function<bool(const char* data, qsizetype size)>;
bool EncodePcx(const QImage& image, int bitsPerPixel, const PcxSink& sink);
// A DCX holding the pages of existing (a PCX or a DCX; empty for none) and then page;
// empty when the page table is full.
QByteArray AppendDcxPage(const QByteArray& existing, const QByteArray& page);
// An uncompressed 1-bit Sun Raster file.
QByteArray EncodeSunMono(const QImage& image);

// A WordPerfect raster of one bitmap at 1, 4 or 8 bits. 1 bit: dithered here to black and
// white; 4 and 8 bits: the image must already be Format_Indexed8 with at most 16 or 256
// colours. Empty for anything else.
QByteArray EncodeWpg(const QImage& image, int bitsPerPixel);
// Its run-length code for one row of n bytes: 0x80 | count and a byte to repeat, or count and
// that many bytes as they are (count 1..kWpgMaxCount). Returns the end of what it wrote; out
// needs room for WpgRleBound(n) bytes.
inline constexpr int kWpgMaxCount = 127;
constexpr qsizetype WpgRleBound(qsizetype n) {
    return n + n / kWpgMaxCount + 1;
}
uchar* WpgRle(const uchar* in, int n, uchar* out);
// Undoes WpgRle for one row of n bytes from data at pos, also taking the format's other codes
// (0x80 0 count: count bytes of 0xFF). False when the data ends early, a count overshoots the
// row, or the code repeats a previous row.
bool WpgUnRle(const QByteArray& data, qsizetype& pos, uchar* row, int n);

// A headerless CCITT Group 3 stream begins with an end-of-line code.
bool RawFaxLooksValid(const QByteArray& head);

// Ink bits of a 1-bit picture: dithered to black and white, then bit 1 = black, rows padded
// to whole bytes.
QImage ToMonoInk(const QImage& image);

} // namespace q32::imaging
