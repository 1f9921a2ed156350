#pragma once
// What the file browser (DriveAssignments) does, without its widgets: the folder and its files
// filtered by the type boxes, the description line of a clicked file, and accepting or
// cancelling, which report through StatusWord and store the folder and the pattern.

#include "viewer/FileBrowserPatterns.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace q32 {

class Settings;
struct ProgramState;

// "name  (640x480) (24 bpp) (1,234,567 bytes) ", or "UNRECOGNIZED FILE FORMAT" when the file
// is not a picture; empty for clips ("avi", "mpg"), which have no such line.
QString FileDescriptionLine(const QString& path);

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
    // OK (accept true) or Cancel. An empty folder can't be accepted: "Empty directory!".
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
