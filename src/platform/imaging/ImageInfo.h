#pragma once
// What the imaging layer can tell about a picture file without decoding its pixels.

#include <QSize>

namespace q32 {

struct ImageInfo {
    int formatCode = 0; // the table's code, from the file's content
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 1, 2, 4, 8, 16, 24, 32 (48/64 for deep files)
    int pageCount = 1;     // pages (TIFF, DCX, ICO) or frames (GIF)
    bool animated = false; // a GIF with more than one frame: play it with QMovie
    int orientation = 1;   // EXIF orientation 1..8; 5..8 swap width and height on display

    QSize size() const { return QSize(width, height); }
    // The size as the picture is shown, after the EXIF orientation.
    QSize displaySize() const {
        return orientation >= 5 ? QSize(height, width) : QSize(width, height);
    }
};

} // namespace q32
