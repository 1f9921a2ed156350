#pragma once
// The two pattern files and the choice of a pattern for each picture, without widgets.
// "Effects.txt" is the catalogue ("0012,Name,Number"); "Effects2.txt" the user's selection
// ("0012) Name [25], 17"), written in the order of the catalogue's four-digit numbers.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace q32 {

struct WipeEntry {
    QString text;    // "0012) Name" or, selected, "0012) Name [25]"
    int pattern = 0; // transition style number, kept beside the text
};

// The text between the first "[" and the first "]", or "5" when there are no brackets.
QString ParseEffectDelay(const QString& entryText);

// Reads the catalogue; a line without two commas in its first 255 characters is skipped.
// onLine, when given, sees each line as it is read and may stop the reading by returning false.
QList<WipeEntry> ReadWipeCatalogue(const QString& path,
                                   const std::function<bool(const QString&)>& onLine = {});

// The two lists of the pattern window, each kept in text order.
class WipeSelection {
public:
    void setCatalogue(QList<WipeEntry> entries);
    // Reads "Effects2.txt"; a missing file gives an empty selection.
    void readSelection(const QString& path);
    // Writes "Effects2.txt" in the order of the four-digit numbers 0 .. catalogue lines - 1.
    bool writeSelection(const QString& path);

    const QList<WipeEntry>& available() const { return m_available; }
    const QList<WipeEntry>& selected() const { return m_selected; }
    int catalogueLines() const { return m_catalogueLines; }
    // The number of selection entries as of the last read or write.
    int selectedCount() const { return m_selectedCount; }

    // Double click on a catalogue entry: adds "text [delay]" unless the very text is there.
    void select(int availableIndex, int delay);
    void selectAll();
    void deselectAll();
    void remove(int selectedIndex);
    // A new delay for a selection entry; it keeps its pattern and takes its place in text order.
    void setDelay(int selectedIndex, int delay);

private:
    static void insertSorted(QList<WipeEntry>& list, WipeEntry entry);

    QList<WipeEntry> m_available;
    QList<WipeEntry> m_selected;
    int m_catalogueLines = 0;
    int m_selectedCount = 0;
};

// The pattern for the next picture of a slideshow.
class WipeChooser {
public:
    struct Choice {
        int pattern = 0;
        std::optional<int> delay; // the entry's delay, replacing the effect delay
    };
    // random: a number in [0, 1), drawn only when random wipes are on.
    Choice next(const WipeSelection& selection, bool randomWipes,
                const std::function<double()>& random);
    int position() const { return m_position; }

private:
    int m_position = 0;
};

class Settings;
struct SlideshowValues;

// Fills both lists from appDir's "Effects.txt" (the shipped one when appDir has none) and
// "Effects2.txt", and reads the effect delay. progress sees "BUSY: Loading wipe patterns
// (line)..." for each line; its false stops the loading, which then returns false.
bool LoadWipePatterns(WipeSelection& selection, const QString& appDir, Settings& settings,
                      SlideshowValues& values, const std::function<bool(const QString&)>& progress);

} // namespace q32
