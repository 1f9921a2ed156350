#pragma once
// The outside image editor: which program it is, and running it with the hand-shake file
// "dbimfile.txt" (holding "READY" while it runs) while the caller's window stays responsive.

#include <QString>
#include <QStringList>
#include <optional>

namespace q32 {

struct EditorCommand {
    QString program;
    QStringList arguments;
};

// The program the "ImageProcessor" setting names, with its arguments; "%f" among them stands for
// the picture's path. An editor given no "%f" finds "image.pic" in the folder QUILLON32_HOME
// names. An empty setting means AppDir + "tonework" when that is there, else GIMP when it is
// installed; nothing when none of these is there.
std::optional<EditorCommand> FindImageEditor(const QString& setting, const QString& appDir,
                                             const QString& picture);

struct EditorRun {
    bool started = false;
    bool ended = false; // false when the wait was cut short (the program is closing)
    QString error;      // why it did not start
};

// Writes the hand-shake file, starts the editor and waits for it to end, letting the calling
// thread's events run; the hand-shake file is removed afterwards. The editor is started on its
// own, so it outlives this program when the program is closed first.
EditorRun RunAndWait(const EditorCommand& command, const QString& appDir);

} // namespace q32
