#pragma once
// The format table: imaging format codes, their names, and the text an album row stores.

#include <QString>

namespace q32 {

// The name of a format code, or "" for a code the table does not hold.
QString FormatName(int code);

// The stored form: the code with two digits, a blank and the name ("06 Microsoft Windows Bitmap").
// An unknown code keeps its digits and the blank: "40 ".
QString FormatText(int code);

// GIF, MPEG and QuickTime files are never inspected: their text is fixed by the extension
// ("gif", "mpg", "mov", the last three characters of the path, any case). "" for any other path.
QString FixedFormatText(const QString& path);

inline constexpr int kFormatTextMaxLength = 55;
inline constexpr const char* kGifFormatText = "84 GIF";
inline constexpr const char* kMpegFormatText = "93 MPEG";
inline constexpr const char* kQuickTimeFormatText = "94 Apple Quicktime";

} // namespace q32
