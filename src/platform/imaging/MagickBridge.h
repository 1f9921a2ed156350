#pragma once
// Between Magick++ and QImage; one place that starts ImageMagick with our resource limits.

#include <Magick++.h>
#include <QImage>
#include <QString>

namespace q32::imaging {

// Starts ImageMagick once, with limits that refuse absurd pictures before their pixels exist.
void EnsureMagick();

QImage ToQImage(const Magick::Image& image);
Magick::Image FromQImage(const QImage& image);

// "TIFF:/path/file[0]": the coder comes from the content, never from the name.
std::string MagickSource(const char* coder, const QString& path, int page = -1);

} // namespace q32::imaging
