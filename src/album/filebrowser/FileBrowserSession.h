#pragma once
// What the file browser (DriveAssignments) does, without its widgets: the folder and its files
// filtered by the type boxes, the description line of a clicked file, and accepting or
// cancelling, which report through StatusWord and store the folder and the pattern.

#include "album/filebrowser/FileBrowserPatterns.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace q32 {

class Settings;
struct ProgramState;

// "name  (640x480) (24 bpp) (1,234,567 bytes) ", or "UNRECOGNIZED FILE FORMAT" when the file
// is not a picture; empty for clips ("avi", "mpg"), which have no such line.
QString FileDescriptionLine(const QString& path);

// Where the browser's frame goes on the screen: at its stored place when that leaves keepClear
// (the preview it drives) in sight, else beside keepClear (right, left, below, above), always
// on the screen. When nothing leaves it clear, the place that covers the least of it.
QPoint BrowserPlace(const QRect& keepClear, const QSize& frame, const QRect& screen,
                    const std::optional<QPoint>& stored);

class FileBrowserSession {
public:
    FileBrowserSession(ProgramState& state, Settings& settings);

    // Start-up: the folder and pattern the program remembers (ThumbNailsDir, FilesPattern).
    void load();

    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder);
    // The files of the folder that match the pattern, sorted as the scans sort them.
    const QStringList& files() const { return m_files; }
    QString pathOf(int fileIndex) const;

    const QList<bool>& checkedBoxes() const { return m_checked; }
    // A box click: rebuilds the pattern from the boxes, stores it and lists the folder again.
    void boxClicked(int box, bool on);
    const QString& pattern() const { return m_pattern; }

    enum class Outcome { Accepted, Cancelled, EmptyFolder };
    // OK (accept true) or Cancel. An empty folder can't be accepted: "Empty directory!"; Cancel
    // always cancels.
    Outcome finish(bool accept);

private:
    void listFiles();

    ProgramState& m_state;
    Settings& m_settings;
    QString m_folder;
    QString m_pattern;
    QStringList m_files;
    QList<bool> m_checked;
};

} // namespace q32
