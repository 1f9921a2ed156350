#pragma once
// Services every window shares: the album status text, help, web pages.

#include <QString>

namespace q32 {

struct ProgramState;

// "family.mdb  (12 images)  1,234,567 bytes"; the size part is empty when the file can't be read.
QString AlbumStatusText(const ProgramState& state);

// The plural tail used in titles: " images)" for two or more, else " image)".
QString ImagesTail(qint64 count);

// Opens the shipped HTML help in the user's browser. False when it could not be opened.
bool ShowHelp(const ProgramState& state);
bool OpenWebPage(const QString& address);

} // namespace q32
