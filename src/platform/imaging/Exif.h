#pragma once
// The two EXIF facts the program uses: how a photo is turned, and when it was taken.

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace q32::imaging {

struct ExifFacts {
    int orientation = 0;            // 1..8; 0 when the block does not say
    std::optional<QDateTime> taken; // DateTimeOriginal, else DateTimeDigitized
};

// block: a TIFF-structured EXIF block with or without its "Exif\0\0" mark, or the start of a
// JPEG file. Anything unreadable gives empty facts.
ExifFacts ReadExif(const QByteArray& block);

// "2019:07:14 10:20:30" (EXIF, also with '-' between the date's parts); nothing for a blank or
// impossible date such as "0000:00:00 00:00:00".
std::optional<QDateTime> ParseExifDateTime(const QByteArray& text);

} // namespace q32::imaging
