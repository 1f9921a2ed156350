#pragma once
// Files built of ISO base media boxes (HEIF, AVIF, Canon CR3): which picture format their brands
// name, and whether the primary picture is turned by the container itself.

#include "platform/imaging/ByteOrder.h"

#include <QString>

namespace q32::imaging {

// 85 HEIF/HEIC, 86 AVIF, 90 a camera's raw file (CR3); 0 for any other file with an 'ftyp' box
// (a clip) or none.
int IsoBmffImageCode(const ByteReader& head);

// True when the primary item has a rotation or mirror property ('irot', 'imir'). libheif turns
// the picture by them itself, and the file's EXIF orientation then only repeats them; without
// them the EXIF orientation is the one to apply. libheif 1.15 has no call that says which.
bool HeifPrimaryTurned(const QString& path);
// The same, from the payload of the file's 'meta' box.
bool PrimaryItemTurned(const QByteArray& meta);

} // namespace q32::imaging
