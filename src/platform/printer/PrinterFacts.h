#pragma once
// What a printer tells about itself, in the terms the print window works with. Filled from
// QPrinter by DefaultPrinter.h; plain values, so the layout arithmetic needs no printer.

#include <QSizeF>
#include <QString>

namespace q32 {

// Paper codes of the device settings; only these two have a known printable area.
inline constexpr int kPaperLetter = 1;
inline constexpr int kPaperLegal = 5;
inline constexpr int kPaperOther = 0;        // another size; printableInches says how large
inline constexpr int kPaperNotReported = -1; // the printer names no paper: ask

inline constexpr int kOrientationPortrait = 1;
inline constexpr int kOrientationLandscape = 2;

struct PrinterFacts {
    QString deviceName;
    int resolution = 0; // dots per inch; 0 when the printer reports none
    int paper = kPaperNotReported;
    QSizeF printableInches; // for kPaperOther: width x length as the page is turned
    int orientation = kOrientationPortrait;
    int copies = 1;
};

} // namespace q32
