#include "album/scan/DirectoryScan.h"

#include "common/Text.h"
#include "common/Wildcard.h"
#include "formats/FormatTable.h"

#include <QFile>
#include <QStorageInfo>
#include <QVarLengthArray>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q32 {

namespace {

constexpr qsizetype kFilesPerReport = 256;
// Names a tree keeps for the collect step; past this its folders are read again.
constexpr size_t kKeptNamesLimit = size_t(64) << 20;

// The file system's order is not stable on Linux; this gives the same order every run, and the
// case-insensitive part is how users read a file list.
bool NameLess(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool IsAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// NameLess for two ASCII names: Qt folds ASCII letters to lower case, and compares code units.
bool AsciiNameLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::memcmp(a.data(), b.data(), size_t(n)) < 0;
}

// Entries the collect step looks at: regular files, links and what the file system did not type.
bool MayBeFile(unsigned char type) {
    return type == DT_REG || type == DT_LNK || type == DT_UNKNOWN;
}

// Appends one entry as DirectoryTree::Entries holds them.
void Pack(std::vector<char>& packed, unsigned char type, const char* name) {
    const size_t n = std::strlen(name);
    packed.push_back(static_cast<char>(type));
    packed.insert(packed.end(), name, name + n + 1);
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
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

// A folder opened only when one of its entries has to be looked at (links, untyped entries).
struct FolderHandle {
    explicit FolderHandle(QByteArray path) : path(std::move(path)) {}
    ~FolderHandle() {
        if (fd >= 0)
            close(fd);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    int get() {
        if (fd == -2)
            fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return fd;
    }
    QByteArray path;
    int fd = -2;
};

// A file name as its folder holds it; text is decoded up front only for names that are not
// plain ASCII, which are rare and compare through Qt.
struct FileEntry {
    QByteArrayView name;
    QString text;
    LeftOutFile::Reason reason = LeftOutFile::Reason::UnknownKind;
    bool ascii = true;

    QString decoded() const { return ascii ? QString::fromLatin1(name) : text; }
};

bool EntryLess(const FileEntry& a, const FileEntry& b) {
    if (a.ascii && b.ascii)
        return AsciiNameLess(a.name, b.name);
    return NameLess(a.decoded(), b.decoded());
}

// What one folder holds for the collect step.
struct FolderFiles {
    std::vector<FileEntry> wanted; // sorted
    std::vector<FileEntry> others; // sorted; only with keepOthers
    qint64 otherCount = 0;         // all regular files not wanted
};

// Sorts the packed entries of folder into the files pattern takes and the other regular files.
// Hidden names are never wanted; others are only counted unless keepOthers.
void SortOut(const QString& folder, const char* packed, size_t size, const FilePattern& pattern,
             bool withOthers, bool keepOthers, FolderFiles& out) {
    static const FilePattern readable(ReadableFilesPattern());
    FolderHandle handle(QFile::encodeName(folder));
    for (const char* p = packed; p < packed + size;) {
        const auto type = static_cast<unsigned char>(*p);
        const char* cname = p + 1;
        const QByteArrayView name(cname, qsizetype(std::strlen(cname)));
        p = cname + name.size() + 1;
        const bool hidden = name.front() == '.';
        if (hidden && (!withOthers || IsDotOrDotDot(cname)))
            continue;
        if (!MayBeFile(type))
            continue;
        const bool wanted = !hidden && pattern.matchesBytes(name);
        if (!wanted && !withOthers)
            continue;
        if (type != DT_REG) {
            struct stat st {};
            const int fd = handle.get();
            if (fd < 0 || fstatat(fd, cname, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        if (!wanted) {
            ++out.otherCount;
            if (!keepOthers)
                continue;
        }
        FileEntry entry{name, {}, LeftOutFile::Reason::UnknownKind, IsAscii(name)};
        if (!entry.ascii)
            entry.text = QFile::decodeName(name.toByteArray());
        if (wanted) {
            out.wanted.push_back(std::move(entry));
        } else {
            entry.reason = hidden                        ? LeftOutFile::Reason::Hidden
                           : readable.matchesBytes(name) ? LeftOutFile::Reason::NotInPattern
                                                         : LeftOutFile::Reason::UnknownKind;
            out.others.push_back(std::move(entry));
        }
    }
    std::sort(out.wanted.begin(), out.wanted.end(), EntryLess);
    std::sort(out.others.begin(), out.others.end(), EntryLess);
}

// Reads a folder's entries the way DirectoryTree keeps them; false when it cannot be opened.
bool ReadEntries(const QString& folder, std::vector<char>& packed) {
    DirStream stream(folder);
    if (!stream.dir)
        return false;
    while (const dirent* entry = readdir(stream.dir))
        if (MayBeFile(entry->d_type) && !IsDotOrDotDot(entry->d_name))
            Pack(packed, entry->d_type, entry->d_name);
    return true;
}

// Sorts out a folder's files as MatchingFiles describes, from the tree's entries when it kept
// them, else read into scratch. The names in files point into one of the two.
void ListFolder(const QString& folder, DirectoryTree::Entries entries, const FilePattern& pattern,
                QList<LeftOutFile>* leftOut, qint64* leftOutCount, std::vector<char>& scratch,
                FolderFiles& files) {
    files.wanted.clear();
    files.others.clear();
    files.otherCount = 0;
    if (!entries.data) {
        scratch.clear();
        if (!ReadEntries(folder, scratch))
            return;
        entries = {scratch.data(), scratch.size()};
    }
    const bool keepOthers = leftOut && leftOut->size() < kLeftOutKept;
    SortOut(folder, entries.data, entries.size, pattern, leftOut != nullptr, keepOthers, files);
    if (!leftOut)
        return;
    const QString prefix = WithTrailingSlash(folder);
    for (const FileEntry& other : files.others) {
        if (leftOut->size() >= kLeftOutKept)
            break;
        leftOut->append({prefix + other.decoded(), other.reason});
    }
    if (leftOutCount)
        *leftOutCount += files.otherCount;
}

} // namespace

// ---- DirectoryTree

void DirectoryTree::scan(const QString& start) {
    const QString folder = WithTrailingSlash(start);
    m_folder = folder;
    m_dirs = {};
    m_dirs.reserve(kGrowStep);
    m_names = {};
    m_kept = {};
    m_folderKept = {};
    m_stopped = false;
    struct stat st {};
    m_device = stat(QFile::encodeName(folder).constData(), &st) == 0 ? st.st_dev : 0;
    scanFolder(folder, -1);
    if (!m_dirs.empty() && m_dirs.capacity() != m_dirs.size()) {
        std::vector<DirRecord> cut;
        cut.reserve(m_dirs.size());
        std::move(m_dirs.begin(), m_dirs.end(), std::back_inserter(cut));
        m_dirs.swap(cut);
    }
}

DirectoryTree::Entries DirectoryTree::entries(qint64 index) const {
    static const char kNone = 0;
    const Kept* kept = index == -1                     ? &m_folderKept
                       : index >= 0 && index < count() ? &m_kept[size_t(index)]
                                                       : nullptr;
    if (!kept || !kept->whole)
        return {};
    if (kept->begin == kept->end)
        return {&kNone, 0};
    return {m_names.data() + kept->begin, kept->end - kept->begin};
}

QString DirectoryTree::path(qint64 index) const {
    return index >= 0 && index < count() ? m_dirs[static_cast<size_t>(index)].path : QString();
}

quint32 DirectoryTree::mode(qint64 index) const {
    return index >= 0 && index < count() ? m_dirs[static_cast<size_t>(index)].mode : 0;
}

void DirectoryTree::append(DirRecord record) {
    m_dirs.push_back(std::move(record));
    m_kept.emplace_back();
    // Grow in whole steps so a large tree does not reallocate per record.
    if (m_dirs.size() % kGrowStep == 0) {
        m_dirs.reserve(m_dirs.size() + kGrowStep);
        m_kept.reserve(m_dirs.size() + kGrowStep);
    }
}

void DirectoryTree::scanFolder(QString folder, qint64 index) {
    folder = WithTrailingSlash(folder);
    Kept kept;
    const std::vector<SubDir> subDirs = listSubdirectories(folder, kept);
    (index == -1 ? m_folderKept : m_kept[size_t(index)]) = kept;
    const qint64 first = count();
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
    for (size_t i = 0; i < subDirs.size(); ++i) {
        scanFolder(folder + subDirs[i].name, first + qint64(i));
        if (m_stopped)
            return;
    }
}

std::vector<DirectoryTree::SubDir> DirectoryTree::listSubdirectories(const QString& folder,
                                                                     Kept& kept) {
    std::vector<SubDir> found;
    DirStream stream(folder);
    if (!stream.dir)
        return found;
    const int fd = dirfd(stream.dir);
    kept.begin = m_names.size();
    bool readWhole = true;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(stream.dir);
        if (!entry) {
            readWhole = errno == 0;
            break;
        }
        // Files are kept for the collect step, which then need not read the folder again.
        if (MayBeFile(entry->d_type) && !IsDotOrDotDot(entry->d_name))
            Pack(m_names, entry->d_type, entry->d_name);
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
    kept.end = m_names.size();
    kept.whole = readWhole && kept.end <= kKeptNamesLimit;
    if (!kept.whole)
        m_names.resize(kept.begin);
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
    for (const QStringList* list : {&m_patterns, &m_suffixes})
        for (const QString& p : *list)
            for (const QChar c : p)
                m_ascii = m_ascii && c.unicode() < 0x80;
    if (m_ascii)
        for (const QString& suffix : m_suffixes)
            m_asciiSuffixes.append(suffix.toLatin1());
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
        if (WildcardMatch(folded, p, Wildcards::FileName))
            return true;
    }
    return false;
}

bool FilePattern::matchesBytes(QByteArrayView name) const {
    // Plain ASCII on both sides folds as ASCII: no decoding, no allocation.
    if (!m_ascii || !IsAscii(name))
        return matches(QFile::decodeName(name.toByteArray()));
    for (const QByteArray& suffix : m_asciiSuffixes) {
        if (name.size() <= suffix.size())
            continue;
        const char* tail = name.data() + (name.size() - suffix.size());
        qsizetype i = 0;
        while (i < suffix.size() && AsciiLower(tail[i]) == suffix[i])
            ++i;
        if (i == suffix.size())
            return true;
    }
    if (m_patterns.isEmpty())
        return false;
    QVarLengthArray<char16_t, 256> folded(name.size());
    for (qsizetype i = 0; i < name.size(); ++i)
        folded[i] = char16_t(AsciiLower(name[i]));
    const QStringView text(folded.data(), folded.size());
    for (const QString& p : m_patterns) {
        if (WildcardMatch(text, p, Wildcards::FileName))
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
    std::vector<char> scratch;
    FolderFiles files;
    ListFolder(folder, {}, pattern, leftOut, leftOutCount, scratch, files);
    QStringList names;
    names.reserve(qsizetype(files.wanted.size()));
    for (const FileEntry& f : files.wanted)
        names.append(f.decoded());
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
    std::vector<char> scratch;
    FolderFiles files;
    auto addFolder = [&](const QString& current, DirectoryTree::Entries entries) {
        result.lastFolder = current;
        ListFolder(current, entries, pattern, &result.leftOut, &result.leftOutCount, scratch,
                   files);
        for (const FileEntry& f : files.wanted) {
            if (result.files.size() >= listLimit) {
                result.listFull = true;
                handOver();
                return false;
            }
            result.files.append(f.ascii ? current + QLatin1StringView(f.name) : current + f.text);
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

    const QString top = WithTrailingSlash(folder);
    if (!addFolder(top, top == dirs.folder() ? dirs.entries(-1) : DirectoryTree::Entries{}) ||
        !recursive)
        return result;
    for (qint64 i = 0; i < dirs.count(); ++i) {
        if (!addFolder(dirs.path(i) + QLatin1Char('/'), dirs.entries(i)))
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
