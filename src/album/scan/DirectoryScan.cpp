#include "album/scan/DirectoryScan.h"

#include "album/FormatTable.h"
#include "common/Text.h"

#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace q32 {

namespace {

constexpr qsizetype kFilesPerReport = 256;

// The file system's order is not stable on Linux; this gives the same order every run, and the
// case-insensitive part is how users read a file list.
bool NameLess(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Closes the directory stream on every way out.
struct DirStream {
    explicit DirStream(const QString& folder)
        : dir(opendir(QFile::encodeName(folder).constData())) {}
    ~DirStream() {
        if (dir)
            closedir(dir);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;
    DIR* dir;
};

// Whether an already case-folded file name matches a file pattern: "*" any run, "?" one
// character.
bool FileNameMatches(QStringView name, QStringView pattern) {
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

// ---- DirectoryTree

void DirectoryTree::scan(const QString& start) {
    const QString folder = WithTrailingSlash(start);
    m_dirs = {};
    m_dirs.reserve(kGrowStep);
    m_stopped = false;
    struct stat st {};
    m_device = stat(QFile::encodeName(folder).constData(), &st) == 0 ? st.st_dev : 0;
    scanFolder(folder);
    if (!m_dirs.empty() && m_dirs.capacity() != m_dirs.size()) {
        std::vector<DirRecord> cut;
        cut.reserve(m_dirs.size());
        std::move(m_dirs.begin(), m_dirs.end(), std::back_inserter(cut));
        m_dirs.swap(cut);
    }
}

QString DirectoryTree::path(qint64 index) const {
    return index >= 0 && index < count() ? m_dirs[static_cast<size_t>(index)].path : QString();
}

quint32 DirectoryTree::mode(qint64 index) const {
    return index >= 0 && index < count() ? m_dirs[static_cast<size_t>(index)].mode : 0;
}

void DirectoryTree::append(DirRecord record) {
    m_dirs.push_back(std::move(record));
    // Grow in whole steps so a large tree does not reallocate per record.
    if (m_dirs.size() % kGrowStep == 0)
        m_dirs.reserve(m_dirs.size() + kGrowStep);
}

void DirectoryTree::scanFolder(QString folder) {
    folder = WithTrailingSlash(folder);
    const std::vector<SubDir> subDirs = listSubdirectories(folder);
    for (const SubDir& sub : subDirs) {
        append({folder + sub.name, sub.mode});
        if (m_listener) {
            m_listener->directoryRecorded(m_dirs.back().path);
            m_listener->progress({count(), 0});
            if (m_listener->stopRequested()) {
                m_stopped = true;
                return;
            }
        }
    }
    if (m_listener && !m_listener->recursive())
        return;
    for (const SubDir& sub : subDirs) {
        scanFolder(folder + sub.name);
        if (m_stopped)
            return;
    }
}

std::vector<DirectoryTree::SubDir> DirectoryTree::listSubdirectories(const QString& folder) const {
    std::vector<SubDir> found;
    DirStream stream(folder);
    if (!stream.dir)
        return found;
    const int fd = dirfd(stream.dir);
    while (const dirent* entry = readdir(stream.dir)) {
        if (entry->d_name[0] == '.')
            continue;
        // Links are not followed: a link to an ancestor would loop, one to elsewhere would list
        // the same pictures twice.
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat st {};
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (m_sameFileSystem && st.st_dev != m_device)
            continue;
        found.push_back({QFile::decodeName(entry->d_name), static_cast<quint32>(st.st_mode)});
    }
    std::sort(found.begin(), found.end(),
              [](const SubDir& a, const SubDir& b) { return NameLess(a.name, b.name); });
    return found;
}

// ---- FilePattern

FilePattern::FilePattern(const QString& text) {
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString p = part.trimmed().toCaseFolded();
        if (p.isEmpty())
            continue;
        if (p == QLatin1String("*.*")) // every file, with or without an extension
            p = QStringLiteral("*");
        const QStringView tail = QStringView(p).mid(1);
        if (p.startsWith(QLatin1String("*.")) && !tail.contains(QLatin1Char('*')) &&
            !tail.contains(QLatin1Char('?')))
            m_suffixes.append(tail.toString());
        else
            m_patterns.append(p);
    }
    if (m_patterns.isEmpty() && m_suffixes.isEmpty())
        m_patterns.append(QStringLiteral("*"));
}

bool FilePattern::matches(QStringView name) const {
    for (const QString& suffix : m_suffixes) {
        if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    if (m_patterns.isEmpty())
        return false;
    const QString folded = name.toString().toCaseFolded();
    for (const QString& p : m_patterns) {
        if (FileNameMatches(folded, p))
            return true;
    }
    return false;
}

// ---- helpers

QString JoinFolderFile(const QString& folder, const QString& name) {
    return WithTrailingSlash(folder) + name;
}

QString DriveRootOf(const QString& folder) {
    const QStorageInfo info(folder);
    return WithTrailingSlash(info.isValid() ? info.rootPath() : QStringLiteral("/"));
}

QString ScanCountsTitle(qint64 directories, qint64 files, bool listFull) {
    QString title = QString::number(directories) + QLatin1String(" directories and ") +
                    QString::number(files) + QLatin1String(" file(s)");
    if (listFull)
        title += QLatin1String(" [") + QString::number(files) + QLatin1String(" displayed]");
    return title;
}

QString LeftOutReasonText(LeftOutFile::Reason reason, const QString& pattern) {
    switch (reason) {
    case LeftOutFile::Reason::Hidden:
        return QStringLiteral("a hidden file");
    case LeftOutFile::Reason::NotInPattern:
        return QStringLiteral("not in the pattern ") + pattern;
    case LeftOutFile::Reason::UnknownKind:
        break;
    }
    return QStringLiteral("not a picture or clip kind the program reads");
}

QStringList MatchingFiles(const QString& folder, const FilePattern& pattern,
                          QList<LeftOutFile>* leftOut, qint64* leftOutCount) {
    static const FilePattern readable(ReadableFilesPattern());
    QStringList names;
    DirStream stream(folder);
    if (!stream.dir)
        return names;
    const int fd = dirfd(stream.dir);
    QList<LeftOutFile> others;
    while (const dirent* entry = readdir(stream.dir)) {
        const bool hidden = entry->d_name[0] == '.';
        if (hidden && (!leftOut || std::strcmp(entry->d_name, ".") == 0 ||
                       std::strcmp(entry->d_name, "..") == 0))
            continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        QString name = QFile::decodeName(entry->d_name);
        const bool wanted = !hidden && pattern.matches(name);
        if (!wanted && !leftOut)
            continue;
        if (entry->d_type != DT_REG) {
            struct stat st {};
            if (fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        if (wanted) {
            names.append(std::move(name));
        } else {
            const auto reason = hidden                   ? LeftOutFile::Reason::Hidden
                                : readable.matches(name) ? LeftOutFile::Reason::NotInPattern
                                                         : LeftOutFile::Reason::UnknownKind;
            others.append({std::move(name), reason});
        }
    }
    std::sort(names.begin(), names.end(), NameLess);
    if (leftOut) {
        std::sort(others.begin(), others.end(), [](const LeftOutFile& a, const LeftOutFile& b) {
            return NameLess(a.path, b.path);
        });
        const QString prefix = WithTrailingSlash(folder);
        for (LeftOutFile& other : others) {
            if (leftOut->size() < kLeftOutKept)
                leftOut->append({prefix + other.path, other.reason});
        }
        if (leftOutCount)
            *leftOutCount += others.size();
    }
    return names;
}

CollectResult CollectFiles(const QString& folder, const FilePattern& pattern, bool recursive,
                           const DirectoryTree& dirs, ScanListener* listener, qsizetype listLimit) {
    CollectResult result;
    // False ends the run: list full or stop requested.
    qsizetype listed = 0; // files handed to listener->filesListed
    auto handOver = [&] {
        if (listener && listed < result.files.size())
            listener->filesListed(result.files.mid(listed));
        listed = result.files.size();
    };
    auto addFolder = [&](const QString& current) {
        result.lastFolder = current;
        const QStringList names =
            MatchingFiles(current, pattern, &result.leftOut, &result.leftOutCount);
        for (const QString& name : names) {
            if (result.files.size() >= listLimit) {
                result.listFull = true;
                handOver();
                return false;
            }
            result.files.append(current + name);
            if (listener && result.files.size() % kFilesPerReport == 0) {
                handOver();
                listener->progress({dirs.count(), result.files.size()});
                if (listener->stopRequested()) {
                    result.stopped = true;
                    return false;
                }
            }
        }
        handOver();
        if (listener) {
            listener->progress({dirs.count(), result.files.size()});
            if (listener->stopRequested()) {
                result.stopped = true;
                return false;
            }
        }
        return true;
    };

    if (!addFolder(WithTrailingSlash(folder)) || !recursive)
        return result;
    for (qint64 i = 0; i < dirs.count(); ++i) {
        if (!addFolder(dirs.path(i) + QLatin1Char('/')))
            break;
    }
    return result;
}

// ---- one Search / Scan Drive run

namespace {

// The request, not the window, says whether to recurse; everything else goes to the caller.
class RunListener : public ScanListener {
public:
    RunListener(ScanListener* inner, bool recursive) : m_inner(inner), m_recursive(recursive) {}
    bool recursive() const override { return m_recursive; }
    void directoryRecorded(const QString& path) override {
        if (m_inner)
            m_inner->directoryRecorded(path);
    }
    void progress(const ScanProgress& progress) override {
        if (m_inner)
            m_inner->progress(progress);
    }
    bool stopRequested() const override { return m_inner && m_inner->stopRequested(); }
    void filesListed(const QStringList& files) override {
        if (m_inner)
            m_inner->filesListed(files);
    }

private:
    ScanListener* m_inner;
    bool m_recursive;
};

} // namespace

SearchResult RunSearch(const SearchRequest& request, ScanListener* listener) {
    const bool recursive = request.recursive || request.driveScan;
    RunListener runListener(listener, recursive);
    SearchResult result;

    const QString start = request.driveScan ? DriveRootOf(request.folder) : request.folder;
    DirectoryTree dirs(&runListener);
    dirs.setSameFileSystem(request.driveScan);
    dirs.scan(start);
    result.directories = dirs.count();
    result.lastFolder = WithTrailingSlash(request.folder);

    if (dirs.stopped()) {
        result.stopped = true;
    } else {
        result.pattern =
            request.pattern.trimmed().isEmpty() ? request.defaultPattern : request.pattern;
        const FilePattern pattern(result.pattern);
        CollectResult collected =
            CollectFiles(request.folder, pattern, recursive, dirs, &runListener, request.listLimit);
        result.files = std::move(collected.files);
        result.leftOut = std::move(collected.leftOut);
        result.leftOutCount = collected.leftOutCount;
        result.lastFolder = collected.lastFolder;
        result.listFull = collected.listFull;
        result.stopped = collected.stopped;
    }
    result.title = ScanCountsTitle(result.directories, result.files.size(), result.listFull);
    return result;
}

} // namespace q32
