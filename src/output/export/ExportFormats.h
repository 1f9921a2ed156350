#pragma once
// The formats the export offers: the fixed list of the save-options window, then any other format
// the imaging layer writes. Choices of the list that no writer here can make stay on offer, marked
// so, with the nearest writable choice to offer instead. Headless.

#include <QList>
#include <QString>
#include <optional>

namespace q32 {

struct ExportFlavor {
    QString text; // "" for a format without flavors
    int code = 0; // the imaging format code saved for this flavor
    bool writable = true;
};

struct ExportFormat {
    int index = -1;              // the format's number in the list (24 on for new ones)
    QString text;                // the list text
    QList<ExportFlavor> flavors; // never empty; one entry with no text when there are none
    QList<int> bits;             // the bit buttons left enabled
    int defaultBits = 0;
    bool append = false;  // pages can be appended to an existing file
    bool quality = false; // takes a quality factor (the JPEG kinds)
    bool stamp = false;   // can carry a stamp (a small preview inside the file)

    bool hasFlavors() const { return flavors.size() > 1 || !flavors.first().text.isEmpty(); }
};

// In list order. Built once from the imaging layer's writers.
const QList<ExportFormat>& ExportFormats();
// The entry with that number; null when that format is not offered.
const ExportFormat* ExportFormatByIndex(int index);

// The writable choice nearest to files of code, which cannot be written here: the format row, the
// flavor's position in it and the bit depth to use instead of bits.
struct NearestChoice {
    int index = -1;
    int flavor = 0;
    int bits = 0;
};
std::optional<NearestChoice> NearestWritable(int code, int bits);

// The bit depth an export in format f starts with for a picture of pictureBits (0: not known):
// the picture's own where the format holds it faithfully, else the nearest deeper one that keeps
// its colours, else the format's default.
int StartingBits(const ExportFormat& f, int pictureBits);

// The usual file extension of a code's files, without the dot ("png"); "img" when unknown.
QString ExportExtension(int code);
// The code a file name's extension ("PNG", "tiff", without the dot) stands for; 0 when unknown.
int CodeForExtension(const QString& extension);
// Whether files of this code may carry the extension ("tif" and "tiff" for every TIFF kind).
bool ExtensionFitsCode(const QString& extension, int code);

// The number (ExportFormat::index) of the offered format that writes files with this
// extension; nothing when none does.
std::optional<int> ExportFormatForExtension(const QString& extension);
// path with the extension of code's files: a picture extension is replaced, any other name
// ("photo", "trip.2024") gets the extension added.
QString FileNameForFormat(const QString& path, int code);

} // namespace q32
