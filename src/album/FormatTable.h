#pragma once
// The format table: imaging format codes, their names, and the text an album row stores; which
// codes are clips; the file kinds the program reads.

#include <QList>
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

// Today's clips, on the free codes after QuickTime's.
inline constexpr int kMpeg4VideoCode = 95; // MP4, M4V, 3GP
inline constexpr int kWebmVideoCode = 96;
inline constexpr int kMatroskaVideoCode = 97;

// Clips are played, never decoded as pictures: 59 (AVI), 93 (MPEG), 94 (QuickTime) and today's.
bool IsClipCode(int code);
// The same decision from a stored format text ("95 MPEG-4 Video").
bool IsClipFormat(const QString& formatText);
// Whether a file's name says it is a clip ("clip.MP4", "a.mpg").
bool IsClipFileName(const QString& path);

// Every picture and clip kind the program reads, as a files pattern ("*.jpg;*.jpeg;...").
QString ReadableFilesPattern();

// Today's kinds, for file-type boxes beside the older ones.
struct FileKind {
    QString caption;
    QString pattern; // one or more patterns, ";" between them
};
const QList<FileKind>& TodaysFileKinds();

} // namespace q32
