#include "album/filebrowser/FileBrowserDrives.h"

#include "common/Text.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace q32 {
namespace {

// Kernel and container file systems nobody keeps pictures on.
bool isPseudoFileSystem(const QString& type) {
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),
        QStringLiteral("devtmpfs"),    QStringLiteral("devpts"),
        QStringLiteral("tmpfs"),       QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("securityfs"),
        QStringLiteral("pstore"),      QStringLiteral("bpf"),
        QStringLiteral("debugfs"),     QStringLiteral("tracefs"),
        QStringLiteral("configfs"),    QStringLiteral("fusectl"),
        QStringLiteral("mqueue"),      QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),      QStringLiteral("binfmt_misc"),
        QStringLiteral("efivarfs"),    QStringLiteral("squashfs"),
        QStringLiteral("nsfs"),        QStringLiteral("ramfs"),
        QStringLiteral("rpc_pipefs"),  QStringLiteral("selinuxfs"),
        QStringLiteral("overlay"),     QStringLiteral("nfsd"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.lxcfs")};
    return pseudo.contains(type);
}

bool isSystemPlace(const QString& root) {
    static const QStringList hidden = {
        QStringLiteral("/proc/"), QStringLiteral("/sys/"),  QStringLiteral("/dev/"),
        QStringLiteral("/run/"),  QStringLiteral("/snap/"), QStringLiteral("/boot/"),
        QStringLiteral("/var/"),  QStringLiteral("/etc/"),  QStringLiteral("/usr/")};
    // Desktops mount removable media under /run/media/USER.
    if (root.startsWith(QLatin1String("/run/media/")))
        return false;
    return std::any_of(hidden.cbegin(), hidden.cend(),
                       [&](const QString& h) { return root.startsWith(h); });
}

} // namespace

QList<Drive> UserDrives(const QList<MountEntry>& mounts, const QString& homePath) {
    QList<Drive> drives;
    const QString home = WithTrailingSlash(QDir::cleanPath(homePath));
    drives.append({home, QStringLiteral("Home (%1)").arg(QDir::cleanPath(homePath))});
    drives.append({QStringLiteral("/"), QStringLiteral("File System (/)")});
    QList<Drive> others;
    for (const MountEntry& m : mounts) {
        const QString root = WithTrailingSlash(QDir::cleanPath(m.rootPath));
        if (root == QLatin1String("/") || root == home || isPseudoFileSystem(m.fileSystemType) ||
            isSystemPlace(root))
            continue;
        const QString shown = QDir::cleanPath(m.rootPath);
        const QString label =
            m.name.isEmpty() ? shown : QStringLiteral("%1 (%2)").arg(m.name, shown);
        if (std::none_of(others.cbegin(), others.cend(),
                         [&](const Drive& d) { return d.rootPath == root; }))
            others.append({root, label});
    }
    std::sort(others.begin(), others.end(),
              [](const Drive& a, const Drive& b) { return a.rootPath < b.rootPath; });
    drives.append(others);
    return drives;
}

QList<Drive> SystemDrives() {
    QList<MountEntry> mounts;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (s.isValid() && s.isReady())
            mounts.append({s.rootPath(), QString::fromLatin1(s.fileSystemType()), s.name()});
    }
    return UserDrives(mounts, QDir::homePath());
}

int DriveIndexOf(const QList<Drive>& drives, const QString& folder) {
    const QString path = WithTrailingSlash(QDir::cleanPath(folder));
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        if (path.startsWith(drives[i].rootPath) &&
            (best < 0 || drives[i].rootPath.size() > drives[best].rootPath.size()))
            best = i;
    }
    return best;
}

} // namespace q32
