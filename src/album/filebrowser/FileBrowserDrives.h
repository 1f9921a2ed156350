#pragma once
// The file browser's "drives": the places a user recognises as disks (the home folder, the root
// file system, removable media and other mounted disks), not the kernel's own file systems.

#include <QList>
#include <QString>

namespace q32 {

struct MountEntry {
    QString rootPath; // "/media/anna/CAMERA"
    QString fileSystemType;
    QString name; // the volume's label, may be empty
};

struct Drive {
    QString rootPath; // ends in "/"
    QString label;    // what the drive list shows
};

// Home first, then "/", then the other user-visible mounts sorted by path.
QList<Drive> UserDrives(const QList<MountEntry>& mounts, const QString& homePath);
// The same over the system's mount table.
QList<Drive> SystemDrives();

// The drive holding folder: the longest root that is a prefix of it (home before "/").
int DriveIndexOf(const QList<Drive>& drives, const QString& folder);

} // namespace q32
