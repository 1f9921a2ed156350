#pragma once
// Files only the user can read. The program's own folders (AppDir, the settings' folder) are
// 0700 with 0600 files. An album's media never go there: where a program outside needs one as a
// file (the image editor's picture and its hand-shake file), it is written into a private
// runtime folder, $XDG_RUNTIME_DIR/quillon32 (a memory file system that ends with the session),
// or, when that is unset or not writable, a 0700 folder of our own under the cache folder. Each
// run has a folder of its own there, named after its process, so that two runs never remove
// each other's files.

#include <QByteArray>
#include <QString>

namespace q32 {

class PrivateFiles {
public:
    // Where every run's folder lives (made 0700 when missing); empty when none can be made.
    static QString base();
    // This run's folder, made 0700 when missing; empty when none can be made.
    static QString folder();
    // Writes bytes to name in this run's folder, readable and writable by the user only.
    // The file's path, or empty when it could not be written (nothing is left then).
    static QString write(const QString& name, const QByteArray& bytes);
    // Removes name from this run's folder; with no name, the folder and all it holds.
    static void remove(const QString& name = {});
    // Removes what runs that ended without cleaning up (killed, crashed) left in base().
    static void removeLeftovers();
};

// Makes a folder or file of ours private: a missing folder is made 0700 (its missing parents
// too); an existing folder becomes 0700 and a file loses every right of group and others. With
// recursive, everything below a folder is tightened too. False when path cannot be made private.
bool KeepPrivate(const QString& path, bool recursive = false);

} // namespace q32
