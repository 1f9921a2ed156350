#pragma once
// The temporary folder a benchmark works in.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace q32::bench {

// Its path; a folder that could not be made ends the run, so that nothing is written beside it
// (an empty path would put the benchmark's files at the root).
inline QString WorkFolder(const QTemporaryDir& dir) {
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a work folder: %s\n", qPrintable(dir.errorString()));
        std::exit(2);
    }
    return dir.path();
}

// count copies of one 640 x 480 photo of about 50 KB, in folder/photos, named NEW_0000.jpg...:
// what an add run stores, without the cost of making each.
inline QStringList CopiesOfOnePhoto(const QString& folder, int count) {
    QDir().mkpath(folder + "/photos");
    const QString base = folder + "/base.jpg";
    QProcess::execute("convert",
                      {"-size", "640x480", "plasma:fractal", "-seed", "3", "-quality", "85", base});
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << folder + QStringLiteral("/photos/NEW_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile::copy(base, files.last());
    }
    return files;
}

// Asks the system to forget the file's pages, so that what follows reads it from the disk as on
// the first open after a start, whatever ran before. Pages still to be written stay.
inline void DropFromPageCache(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

} // namespace q32::bench
