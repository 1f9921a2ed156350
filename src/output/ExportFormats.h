#pragma once
// The formats the export offers: the classic list of the save-options window, less every choice
// the imaging layer cannot write, then any other format the imaging layer writes. Headless.

#include <QList>
#include <QString>

namespace q32 {

struct ExportFlavor {
    QString text; // "" for a format without flavors
    int code = 0; // the imaging format code saved for this flavor
};

struct ExportFormat {
    int index = -1;              // the format's number in the classic list (24 on for new ones)
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
// The entry with the classic index; null when that format is not offered.
const ExportFormat* ExportFormatByIndex(int index);

// The usual file extension of a code's files, without the dot ("png"); "img" when unknown.
QString ExportExtension(int code);

} // namespace q32
