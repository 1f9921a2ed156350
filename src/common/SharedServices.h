#pragma once
// Services every window shares: the album status text and web pages.

#include <QString>

namespace q32 {

struct OpenAlbumState;

// "family.mdb  (12 images)  1,234,567 bytes"; the size part is empty when the file can't be read.
QString AlbumStatusText(const OpenAlbumState& album);

// The plural tail used in titles: " images)" for two or more, else " image)".
QString ImagesTail(qint64 count);

// Opens the address in the user's web browser. False when no browser could be started.
bool OpenWebPage(const QString& address);

} // namespace q32
