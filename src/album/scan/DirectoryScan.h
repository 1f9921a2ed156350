#pragma once
// Directory scanning for "Search" and "Scan Drive": DirectoryTree lists the directories below a
// folder, CollectFiles lists the matching files of the folder and of those directories. Headless:
// the caller sees the scan only through a ScanListener, so a window and the command-line tool can
// share it, on the caller's thread or on a worker thread (see DirectoryScanJob).

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

namespace q32 {

// What a running scan or collect step reports.
struct ScanProgress {
    qint64 directories = 0; // directories recorded so far
    qint64 files = 0;       // files listed so far (collect step only)
};

// The scan's view of its caller. Called on the thread that runs the scan; a caller running the
// scan on its own event-loop thread lets pending events run in directoryRecorded() / progress().
class ScanListener {
public:
    virtual ~ScanListener() = default;
    // Read before each folder's subdirectories are visited, so it may change during a scan.
    virtual bool recursive() const { return true; }
    // The directory just recorded (the Add Images window shows it in its title).
    virtual void directoryRecorded(const QString& path) { (void)path; }
    // After every directory and every few hundred files.
    virtual void progress(const ScanProgress& progress) { (void)progress; }
    // Polled after every directory and every few hundred files; true ends the run early.
    virtual bool stopRequested() const { return false; }
    // The files the collect step has just listed (full paths), in list order, so a window can
    // show them while the run goes on.
    virtual void filesListed(const QStringList& files) { (void)files; }
};

// One directory found: its full path without a trailing "/" and its st_mode.
struct DirRecord {
    QString path;
    quint32 mode = 0;
};

// The directories below a folder in pre-order, level by level within each folder: all children
// of a folder come before any grandchild below it. Names starting with "." are skipped, names are
// sorted (case-insensitive, ties case-sensitive), symbolic links to directories are not followed.
class DirectoryTree {
public:
    static constexpr qsizetype kGrowStep = 500;

    // Without a listener the scan recurses and reports nothing.
    explicit DirectoryTree(ScanListener* listener = nullptr) : m_listener(listener) {}

    // Empties the list and records the directories below folder (with or without its trailing
    // "/"). The folder itself is not recorded.
    void scan(const QString& folder);

    qint64 count() const { return static_cast<qint64>(m_dirs.size()); }
    // The path of a recorded directory; "" when index is out of range.
    QString path(qint64 index) const;
    // Its st_mode; 0 when index is out of range.
    quint32 mode(qint64 index) const;
    // Slots held by the array: grows by kGrowStep, cut to the count at the end of a scan.
    qsizetype capacity() const { return static_cast<qsizetype>(m_dirs.capacity()); }
    // True when the last scan ended on a stop request.
    bool stopped() const { return m_stopped; }
    // Do not descend into directories on another file system (used by "Scan Drive").
    void setSameFileSystem(bool on) { m_sameFileSystem = on; }

    // The entries that may be files (regular, links, untyped) the scan read in a folder (index
    // -1: the scanned folder itself), so the collect step need not read it again: each is its
    // d_type byte, its name and a NUL. Null when the folder was not read whole or keeping its
    // names would have taken too much memory.
    struct Entries {
        const char* data = nullptr;
        size_t size = 0;
    };
    Entries entries(qint64 index) const;
    // The scanned folder, ending in "/".
    const QString& folder() const { return m_folder; }

private:
    struct SubDir {
        QString name;
        quint32 mode = 0;
    };
    struct Kept {
        size_t begin = 0;
        size_t end = 0;
        bool whole = false;
    };
    void scanFolder(QString folder, qint64 index);
    std::vector<SubDir> listSubdirectories(const QString& folder, Kept& kept);
    void append(DirRecord record);

    ScanListener* m_listener = nullptr;
    std::vector<DirRecord> m_dirs;
    QString m_folder;
    std::vector<char> m_names; // what entries() hands out
    std::vector<Kept> m_kept;  // per record, in step with m_dirs
    Kept m_folderKept;
    bool m_stopped = false;
    bool m_sameFileSystem = false;
    quint64 m_device = 0;
};

// A list of wildcard patterns separated by ";" ("*.jpg;*.tif"), matched case-insensitively
// against a whole file name. "*" matches any run of characters, "?" one character; "*.*" and an
// empty text match every file.
class FilePattern {
public:
    explicit FilePattern(const QString& text);
    bool matches(QStringView name) const;
    // The same answer for a name as the file system holds it (UTF-8).
    bool matchesBytes(QByteArrayView name) const;
    bool isEmpty() const { return m_patterns.isEmpty(); }

private:
    QStringList m_patterns; // case-folded
    QStringList m_suffixes; // case-folded ".ext" for the common "*.ext" form, matched fast
    QList<QByteArray> m_asciiSuffixes; // m_suffixes in bytes, when every pattern is ASCII
    bool m_ascii = true;               // no pattern holds a non-ASCII character
};

// folder + name with exactly one "/" between them.
QString JoinFolderFile(const QString& folder, const QString& name);

// The mount point holding folder, ending in "/": where "Scan Drive" starts.
QString DriveRootOf(const QString& folder);

// N + " directories and " + M + " file(s)", and " [M displayed]" after it when the list was full.
QString ScanCountsTitle(qint64 directories, qint64 files, bool listFull = false);

inline constexpr const char* kTooManyFilesMessage = "Exhausted memory resources.  Too many files!";
inline constexpr qsizetype kDefaultListLimit = 1'000'000;

// A file of a searched folder that was not listed, and why.
struct LeftOutFile {
    enum class Reason {
        Hidden,       // its name starts with "."
        NotInPattern, // a kind the program reads, but the pattern does not take it
        UnknownKind,  // no picture or clip kind the program reads
    };
    QString path;
    Reason reason = Reason::UnknownKind;
};

// "a hidden file", "not in the pattern *.jpg", ...
QString LeftOutReasonText(LeftOutFile::Reason reason, const QString& pattern);

// Left-out files kept per run; the rest are only counted.
inline constexpr qsizetype kLeftOutKept = 10'000;

struct CollectResult {
    QStringList files;
    QList<LeftOutFile> leftOut; // at most kLeftOutKept
    qint64 leftOutCount = 0;
    QString lastFolder;    // the window's current folder afterwards, ending in "/"
    bool listFull = false; // the list limit was hit; files holds what fitted
    bool stopped = false;
};

// The regular files of a folder matching pattern, sorted like DirectoryTree sorts directories.
// Names starting with "." are left out; symbolic links to files are listed.
// With leftOut, the folder's other regular files are appended to it (up to kLeftOutKept; all are
// counted in leftOutCount).
QStringList MatchingFiles(const QString& folder, const FilePattern& pattern,
                          QList<LeftOutFile>* leftOut = nullptr, qint64* leftOutCount = nullptr);

// The files of folder, then (when recursive) the files of every directory of dirs in order,
// each joined to its folder. Stops adding at listLimit entries.
CollectResult CollectFiles(const QString& folder, const FilePattern& pattern, bool recursive,
                           const DirectoryTree& dirs, ScanListener* listener = nullptr,
                           qsizetype listLimit = kDefaultListLimit);

// One "Search" or "Scan Drive" run: scan, then collect. Recursion comes from the request; the
// listener gets the reports and may stop the run.
struct SearchRequest {
    QString folder;         // the current image folder
    QString pattern;        // the pattern box; empty uses defaultPattern
    QString defaultPattern; // FilesPattern
    bool recursive = false;
    bool driveScan = false; // scan from the mount point of folder, recursively
    qsizetype listLimit = kDefaultListLimit;
};

struct SearchResult {
    QStringList files;
    QList<LeftOutFile> leftOut; // the searched folders' files that were not listed
    qint64 leftOutCount = 0;
    QString pattern; // the pattern the files were matched against
    qint64 directories = 0;
    QString lastFolder;
    QString title; // the window title at the end of the run
    bool listFull = false;
    bool stopped = false;
};

SearchResult RunSearch(const SearchRequest& request, ScanListener* listener = nullptr);

} // namespace q32
