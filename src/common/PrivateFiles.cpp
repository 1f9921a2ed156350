#include "common/PrivateFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q32 {
namespace {

bool tighten(const QString& path) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) != 0 || S_ISLNK(st.st_mode))
        return false;
    const mode_t wanted = S_ISDIR(st.st_mode) ? 0700 : (st.st_mode & 0700);
    return (st.st_mode & 07777) == wanted || ::chmod(name.constData(), wanted) == 0;
}

// A folder of ours that only we can enter: made 0700 when missing, refused when it belongs to
// someone else.
bool privateFolder(const QString& path) {
    if (!KeepPrivate(path))
        return false;
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

bool running(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

bool KeepPrivate(const QString& path, bool recursive) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        // The folders made here are 0700 from the start, parents included.
        QStringList missing;
        for (QString p = QDir::cleanPath(info.absoluteFilePath());
             !p.isEmpty() && !QFileInfo::exists(p); p = QFileInfo(p).path()) {
            missing.prepend(p);
            if (p == QLatin1String("/"))
                break;
        }
        for (const QString& p : missing)
            if (::mkdir(QFile::encodeName(p).constData(), 0700) != 0 && errno != EEXIST)
                return false;
        return true;
    }
    // A link is the user's choice of place: what it points at is tightened.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    if (target.isEmpty())
        return false;
    bool ok = tighten(target);
    if (recursive && QFileInfo(target).isDir()) {
        QDirIterator it(target,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString entry = it.next();
            if (!QFileInfo(entry).isSymLink())
                ok = tighten(entry) && ok;
        }
    }
    return ok;
}

QString PrivateFiles::base() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() &&
        ::access(QFile::encodeName(runtime).constData(), W_OK | X_OK) == 0) {
        const QString folder = runtime + QStringLiteral("/quillon32");
        if (privateFolder(folder))
            return folder;
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    const QString folder = cache + QStringLiteral("/quillon32");
    return privateFolder(folder) ? folder : QString();
}

QString PrivateFiles::folder() {
    const QString root = base();
    if (root.isEmpty())
        return {};
    const QString own = root + QLatin1Char('/') + QString::number(::getpid());
    return privateFolder(own) ? own : QString();
}

QString PrivateFiles::write(const QString& name, const QByteArray& bytes) {
    const QString dir = folder();
    if (dir.isEmpty())
        return {};
    const QString path = dir + QLatin1Char('/') + name;
    const QByteArray file = QFile::encodeName(path);
    const int fd =
        ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return {};
    bool ok = ::fchmod(fd, 0600) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            done += n;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(file.constData());
        return {};
    }
    return path;
}

void PrivateFiles::remove(const QString& name) {
    const QString root = base();
    if (root.isEmpty())
        return;
    const QString own = root + QLatin1Char('/') + QString::number(::getpid());
    if (name.isEmpty())
        QDir(own).removeRecursively();
    else
        QFile::remove(own + QLatin1Char('/') + name);
}

void PrivateFiles::removeLeftovers() {
    const QString root = base();
    if (root.isEmpty())
        return;
    const QFileInfoList entries = QDir(root).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.fileName().toLongLong(&isNumber);
        // A run still going keeps its folder; ours is emptied too (a run before us had our id).
        if (isNumber && pid != ::getpid() && running(pid))
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

} // namespace q32
