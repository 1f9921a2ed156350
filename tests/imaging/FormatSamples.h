#pragma once
// Test pictures of today's formats, made here from one photo with the Debian encoders (and a DNG
// of our own making): every file is stored turned, with EXIF orientation 6 and a
// DateTimeOriginal, as a phone or a camera writes them.

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace q32::test {

inline const QDateTime kTakenAt(QDate(2019, 7, 14), QTime(10, 20, 30));

// Four coloured quarters: red, green / blue, yellow (top-left, top-right / bottom-left,
// bottom-right), so a turn or a mirror shows.
QImage Quarters(int width, int height);
QRgb QuarterColour(int index); // 0 red, 1 green, 2 blue, 3 yellow

// Runs a tool; false when it fails or is missing.
bool Run(const QString& program, const QStringList& args);

// A JPEG of picture with EXIF orientation 6 and DateTimeOriginal kTakenAt (written by exiftool).
bool WriteTaggedJpeg(const QImage& picture, const QString& path);

// photo.heic, photo.avif (turned by its container), exif-only.avif, photo.webp, anim.webp
// (three frames), photo.jxl and photo.dng in dir, all made from picture; false when a tool fails.
bool MakeSampleSet(const QImage& picture, const QString& dir);

// A DNG: a small thumbnail in IFD 0, the sensor data (16-bit RGGB mosaic of picture) and the
// camera's JPEG preview in two sub-directories, the orientation in IFD 0 and DateTimeOriginal
// in the EXIF directory.
QByteArray MakeDng(const QImage& picture, const QByteArray& previewJpeg, int orientation,
                   const QDateTime& taken);

} // namespace q32::test
