#pragma once
// Between Magick++ and QImage; one place that starts ImageMagick with our resource limits.

#include <Magick++.h>
#include <QImage>
#include <QString>

namespace q32::imaging {

// Starts ImageMagick once, with limits that refuse absurd pictures before their pixels exist.
void EnsureMagick();
// An image ready to read a file of the given format code: quiet, and metafiles drawn at screen
// resolution.
Magick::Image NewMagickReader(int formatCode);

QImage ToQImage(const Magick::Image& image);
Magick::Image FromQImage(const QImage& image);

// "TIFF:/path/file[0]": the coder comes from the content, never from the name.
std::string MagickSource(const char* coder, const QString& path, int page = -1);
// Reads (or pings) one page of a file with the given coder; throws as Magick++ does.
void ReadWithMagick(Magick::Image& img, const char* coder, const QString& path, int page,
                    bool pingOnly = false);

} // namespace q32::imaging
