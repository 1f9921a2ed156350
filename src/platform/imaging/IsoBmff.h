#pragma once
// Files built of ISO base media boxes (HEIF, AVIF, Canon CR3, clips): which picture format their
// brands name, whether the primary picture is turned by the container itself, when a clip was
// recorded.

#include "platform/imaging/ByteOrder.h"

#include <QDateTime>
#include <QString>
#include <optional>

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

// When a clip (MP4, QuickTime, 3GP) was recorded, from its movie header.
std::optional<QDateTime> ClipCreationTime(const QString& path);

} // namespace q32::imaging
