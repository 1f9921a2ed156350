#include "album/filebrowser/FileBrowserPatterns.h"

#include "album/FormatTable.h"

#include <QStringList>
#include <algorithm>

namespace q32 {
namespace {

QList<TypeBox> fileBrowserBoxes() {
    return {{QStringLiteral("Windows Icon"), QStringLiteral("*.ico")},
            {QStringLiteral("Windows/OS2 Bitmap"), QStringLiteral("*.bmp")},
            {QStringLiteral("CAL Raster"), QStringLiteral("*.cal")},
            {QStringLiteral("JPEG"), QStringLiteral("*.jpg")},
            {QStringLiteral("Encapsulated POST"), QStringLiteral("*.eps")},
            {QStringLiteral("Raw fax"), QStringLiteral("*.fax")},
            {QStringLiteral("IBM IOCA"), QStringLiteral("*.ica")},
            {QStringLiteral("GEM IMG"), QStringLiteral("*.img")},
            {QStringLiteral("Mac Paint"), QStringLiteral("*.mac")},
            {QStringLiteral("Microsoft Paint"), QStringLiteral("*.msp")},
            {QStringLiteral("Mac PICT"), QStringLiteral("*.pct")},
            {QStringLiteral("ZSoft PCX"), QStringLiteral("*.pcx")},
            {QStringLiteral("PNG"), QStringLiteral("*.png")},
            {QStringLiteral("Adobe PhotoShop"), QStringLiteral("*.psd")},
            {QStringLiteral("Sun Raster"), QStringLiteral("*.ras")},
            {QStringLiteral("TrueVision Targa"), QStringLiteral("*.tga")},
            {QStringLiteral("TIFF"), QStringLiteral("*.tif")},
            {QStringLiteral("WinFAX"), QStringLiteral("*.wfx")},
            {QStringLiteral("Windows Metafile"), QStringLiteral("*.wmf")},
            {QStringLiteral("WordPerfect"), QStringLiteral("*.wpg")},
            {QStringLiteral("Kodak Photo CD"), QStringLiteral("*.pcd")},
            {QStringLiteral("Kodak FlashPix"), QStringLiteral("*.fpx")},
            {QStringLiteral("Video for Windows"), QStringLiteral("*.avi")},
            {QStringLiteral("MPEG"), QStringLiteral("*.mpg")},
            {QStringLiteral("Apple Quicktime"), QStringLiteral("*.mov")},
            // GIF pictures are stored and shown like every other picture, so the box finds them.
            {QStringLiteral("GIF"), QStringLiteral("*.gif")},
            {QStringLiteral("LEAD compress"), QStringLiteral("*.cmp")},
            {QStringLiteral("All Formats"), QString()},
            {QStringLiteral("Windows Cursor"), QStringLiteral("*.cur")}};
}

// Box numbers follow the extension table; the captions are the Add Images window's own.
QList<TypeBox> addImagesBoxes() {
    return {{QStringLiteral("Icon"), QStringLiteral("*.ico")},
            {QStringLiteral("Bitmap"), QStringLiteral("*.bmp")},
            {QStringLiteral("CAL"), QStringLiteral("*.cal")},
            {QStringLiteral("JPEG"), QStringLiteral("*.jpg")},
            {QStringLiteral("EPS"), QStringLiteral("*.eps")},
            {QStringLiteral("Raw fax"), QStringLiteral("*.fax")},
            {QStringLiteral("IBM IOCA"), QStringLiteral("*.ica")},
            {QStringLiteral("GEM IMG"), QStringLiteral("*.img")},
            {QStringLiteral("Mac Paint"), QStringLiteral("*.mac")},
            {QStringLiteral("Microsoft Paint"), QStringLiteral("*.msp")},
            {QStringLiteral("Mac PICT"), QStringLiteral("*.pct")},
            {QStringLiteral("ZSoft PCX"), QStringLiteral("*.pcx")},
            {QStringLiteral("PNG"), QStringLiteral("*.png")},
            {QStringLiteral("PhotoShop"), QStringLiteral("*.psd")},
            {QStringLiteral("Sun Raster"), QStringLiteral("*.ras")},
            {QStringLiteral("Targa"), QStringLiteral("*.tga")},
            {QStringLiteral("TIFF"), QStringLiteral("*.tif")},
            {QStringLiteral("WinFAX"), QStringLiteral("*.wfx")},
            {QStringLiteral("Metafile"), QStringLiteral("*.wmf")},
            {QStringLiteral("WordPerfect"), QStringLiteral("*.wpg")},
            {QStringLiteral("Kodak Photo CD"), QStringLiteral("*.pcd")},
            {QStringLiteral("Kodak FlashPix"), QStringLiteral("*.fpx")},
            {QStringLiteral("AVI"), QStringLiteral("*.avi")},
            {QStringLiteral("MPEG"), QStringLiteral("*.mpg")},
            {QStringLiteral("Apple Quictime"), QStringLiteral("*.mov")},
            {QStringLiteral("LEAD compress"), QStringLiteral("*.cmp")},
            {QStringLiteral("Cursor"), QStringLiteral("*.cur")},
            {QStringLiteral("All Formats"), QString()}};
}

// Today's kinds follow the window's own 28 boxes.
QList<TypeBox> addImagesBoxesWithTodaysKinds() {
    QList<TypeBox> boxes = addImagesBoxes();
    for (const FileKind& kind : TodaysFileKinds())
        boxes.append({kind.caption, kind.pattern});
    return boxes;
}

QStringList patternParts(const QString& pattern) {
    QStringList parts;
    for (const QString& part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        parts << part.trimmed();
    return parts;
}

} // namespace

const QList<TypeBox>& TypeBoxes(TypeBoxSet set) {
    static const QList<TypeBox> browser = fileBrowserBoxes();
    static const QList<TypeBox> addImages = addImagesBoxesWithTodaysKinds();
    return set == TypeBoxSet::FileBrowser ? browser : addImages;
}

void AddPatternExtension(QString& filesPattern, const QString& pattern) {
    if (filesPattern.isEmpty())
        filesPattern = pattern;
    else
        filesPattern += QLatin1Char(';') + pattern;
}

QList<bool> CheckedBoxesForPattern(const QString& filesPattern, TypeBoxSet set) {
    const QList<TypeBox>& boxes = TypeBoxes(set);
    QList<bool> checked(boxes.size(), false);
    // Whole patterns are compared, so "*.jpeg" or a longer list never ticks a wrong box; a box
    // that stands for several patterns is ticked when all of them are there.
    const QStringList stored = patternParts(filesPattern);
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const QStringList wanted = patternParts(boxes[i].pattern);
        checked[i] = !wanted.isEmpty() &&
                     std::all_of(wanted.cbegin(), wanted.cend(), [&stored](const QString& w) {
                         return stored.contains(w, Qt::CaseInsensitive);
                     });
    }
    return checked;
}

QString PatternForCheckedBoxes(const QList<bool>& checked, TypeBoxSet set) {
    const QList<TypeBox>& boxes = TypeBoxes(set);
    QString pattern;
    for (qsizetype i = 0; i < boxes.size() && i < checked.size(); ++i) {
        if (checked[i] && !boxes[i].pattern.isEmpty())
            AddPatternExtension(pattern, boxes[i].pattern);
    }
    // The Add Images window's "All Formats" also takes the kinds its boxes do not name
    // ("*.jpeg", "*.tiff", ...): every kind the program reads.
    if (set == TypeBoxSet::AddImages && checked.value(kAllFormatsBox)) {
        const QStringList listed = patternParts(pattern);
        for (const QString& part : patternParts(ReadableFilesPattern()))
            if (!listed.contains(part, Qt::CaseInsensitive))
                AddPatternExtension(pattern, part);
    }
    return pattern.isEmpty() ? QString::fromLatin1(kNoFilesPattern) : pattern;
}

QList<bool> ApplyBoxClick(QList<bool> checked, int box, bool on) {
    if (box < 0 || box >= checked.size())
        return checked;
    if (box == kAllFormatsBox) {
        checked.fill(on);
    } else {
        checked[box] = on;
        if (!on) // not every format any more
            checked[kAllFormatsBox] = false;
    }
    return checked;
}

} // namespace q32
