#pragma once
// What the program knows of each format, in one table: the code an album row stores, its name,
// how its media is shown, the extensions its files carry, whether the program reads its files and
// what its writer takes. Every other part asks here instead of deciding from a name on its own.

#include <QList>
#include <QString>
#include <QStringList>

namespace q32 {

// How a record's or a file's media is shown: a picture, an animation played frame by frame, or a
// clip played with its sound.
enum class MediaKind { Still, Gif, Video };

inline constexpr int kFormatTextMaxLength = 55;
inline constexpr const char* kGifFormatText = "84 GIF";
inline constexpr const char* kMpegFormatText = "93 MPEG";
inline constexpr const char* kQuickTimeFormatText = "94 Apple Quicktime";

// Today's pictures and clips.
inline constexpr int kHeifCode = 85;
inline constexpr int kAvifCode = 86;
inline constexpr int kWebpCode = 87;
inline constexpr int kJxlCode = 88;
inline constexpr int kDngCode = 89;
inline constexpr int kCameraRawCode = 90;
inline constexpr int kMpeg4VideoCode = 95; // MP4, M4V, 3GP
inline constexpr int kWebmVideoCode = 96;
inline constexpr int kMatroskaVideoCode = 97;

struct FormatFacts {
    int code = 0;
    QString name; // "" for 84, whose stored text is fixed ("84 GIF")
    MediaKind kind = MediaKind::Still;
    QStringList extensions;     // lower case, no dot; the first is the one written files get
    bool readable = false;      // the program shows or plays its files
    QList<int> writerBits;      // bits per pixel the program's writer takes; empty: none writes it
    bool appendsPages = false;  // the writer adds a page to an existing file
    bool qualityFactor = false; // lossy: the writer takes a quality factor
    bool eightBitsGrey = false; // its files of 8 bits are grey, never a colour palette
};

// Every code the program knows, by ascending code.
const QList<FormatFacts>& KnownFormats();
// The facts of a code; null for a code the table does not hold.
const FormatFacts* FindFormat(int code);

// The name of a format code, or "" for a code the table does not hold.
QString FormatName(int code);
// The stored form: the code with two digits, a blank and the name ("06 Microsoft Windows Bitmap").
// An unknown code keeps its digits and the blank: "40 ".
QString FormatText(int code);
// The code a stored format text starts with ("95 MPEG-4 Video" gives 95); 0 when it has none.
int FormatCodeOf(const QString& formatText);

// GIF, MPEG and QuickTime files are never inspected: their text is fixed by the extension
// ("gif", "mpg", "mov", the last three characters of the path, any case). "" for any other path.
QString FixedFormatText(const QString& path);

// How a record is shown, from its stored format text; Still for a text without a known code.
MediaKind MediaKindOfFormat(const QString& formatText);
// How a file is shown, from its name's extension ("clip.MP4", "anim.gif"); Still otherwise.
MediaKind MediaKindOfFile(const QString& path);
// Clips are played, never decoded as pictures.
bool IsClipCode(int code);
bool IsClipFormat(const QString& formatText);
bool IsClipFileName(const QString& path);

// The extension written files of code get ("png"); "" for a code with none.
QString FileExtension(int code);
// The code a file name's extension ("PNG", "tiff", no dot) stands for: the lowest code whose files
// carry it; 0 when unknown.
int CodeForExtension(const QString& extension);
// Whether files of this code may carry the extension ("tif" and "tiff" for every TIFF kind).
bool ExtensionFitsCode(const QString& extension, int code);

// The sound type a record keeps for an attached sound file, by the last three characters of its
// name, any case: "WAVE", "MIDI" or "OTHER".
QString SoundTypeOf(const QString& path);

// Every picture and clip kind the program reads, as a files pattern ("*.pcx;*.dcx;...").
QString ReadableFilesPattern();

// Today's kinds, for file-type boxes beside the older ones.
struct FileKind {
    QString caption;
    QString pattern; // one or more patterns, ";" between them
};
const QList<FileKind>& TodaysFileKinds();

} // namespace q32
