#pragma once
// Recognises a picture file from its first bytes (never from its name) and, for the formats whose
// header says it plainly, reads width, height and bits per pixel without touching the pixels.

#include <QByteArray>

namespace q32::imaging {

struct Sniffed {
    int code = 0;  // format code, 0 when not recognised
    int width = 0; // 0 when the header does not say; ask a library
    int height = 0;
    int bitsPerPixel = 0;
    bool truncated = false; // the header itself is cut short
};

// head: the file's first bytes (4 KiB is plenty); fileSize: the whole file's length.
Sniffed SniffFormat(const QByteArray& head, qint64 fileSize);

// A clip, from its container's first bytes: 59 AVI, 93 MPEG (program or transport stream), 94
// QuickTime, 95 MP4/3GP, 96 WebM, 97 Matroska; 0 for anything else (pictures of the ISO box
// family, HEIC, AVIF and CR3, included).
int SniffClip(const QByteArray& head);

// An icon or cursor file whose directory gives each picture the size of its embedded bitmap,
// for decoders that trust the directory (Qt's, ImageMagick's) when the two disagree.
QByteArray IconWithTrueDirectory(const QByteArray& file);

// How many bytes SniffFormat wants to see.
inline constexpr int kSniffBytes = 4096;

} // namespace q32::imaging
