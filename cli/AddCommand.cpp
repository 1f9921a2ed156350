#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/add/AddRun.h"
#include "album/add/AddRunOpen.h"
#include "album/scan/DirectoryScan.h"
#include "formats/FormatTable.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>

namespace q32::cli {
namespace {

std::atomic<bool> interrupted{false};

// Ctrl-C stops the run after the file in hand, keeping what was stored; a second one kills.
void onInterrupt(int) {
    interrupted = true;
    std::signal(SIGINT, SIG_DFL);
}

struct Problem {
    QString file;
    QString reason;
};

// One line per file on standard error, written once its group is committed.
class StderrReport : public AddRunListener {
public:
    explicit StderrReport(qsizetype total) : m_total(total) {}
    QList<Problem> skipped;
    QList<Problem> failed;

    bool stopRequested() override { return interrupted; }
    void reported(const QList<AddItemReport>& reports) override {
        QString lines;
        for (const AddItemReport& r : reports) {
            lines += QStringLiteral("[%1/%2] %3: ").arg(r.index + 1).arg(m_total).arg(r.file);
            switch (r.result) {
            case AddResult::Stored:
                lines += QStringLiteral("stored\n");
                break;
            case AddResult::Skipped:
                lines += QStringLiteral("skipped: ") + r.reason + QLatin1Char('\n');
                skipped.append({r.file, r.reason});
                break;
            default:
                lines += QStringLiteral("failed: ") + r.reason + QLatin1Char('\n');
                failed.append({r.file, r.reason});
                break;
            }
        }
        err() << lines << Qt::flush; // one write, so a killed run never half-reports a group
    }

private:
    qsizetype m_total;
};

} // namespace

int addCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"),
                            QStringLiteral("The album file, created when it does not exist, or a "
                                           "server album's postgresql:// URI."));
    p.addPositionalArgument(QStringLiteral("PATH..."),
                            QStringLiteral("Picture and clip files, and folders to search."));
    p.addOption(
        {QStringLiteral("recursive"), QStringLiteral("Search the folders' subfolders too.")});
    p.addOption({QStringLiteral("pattern"),
                 QStringLiteral("Files to take from folders, e.g. \"*.jpg;*.png\" (default: every "
                                "picture and clip kind)."),
                 QStringLiteral("PATTERN")});
    p.addOption({QStringLiteral("compress"), QStringLiteral("Store Windows bitmaps as JPEG.")});
    p.addOption({QStringLiteral("date-taken"),
                 QStringLiteral("Date each record by when its photo was taken (EXIF "
                                "DateTimeOriginal), not by today; files without one get today.")});
    p.addOption({QStringLiteral("skip-duplicates"),
                 QStringLiteral("Skip a file whose bytes the album already holds, naming the "
                                "record it matches.")});
    p.addOption({QStringLiteral("allow-duplicates"),
                 QStringLiteral("When the album is created: allow duplicate file names.")});
    p.addOption({QStringLiteral("group"),
                 QStringLiteral("Commit stored files in groups of about MB megabytes (0: after "
                                "every file; default 1024)."),
                 QStringLiteral("MB"), QStringLiteral("1024")});
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("add"),
          QStringLiteral("Add pictures and clips to an album. Progress goes to standard error; the "
                         "exit code is 0 only when no file failed. Ctrl-C stops after the file in "
                         "hand and keeps what was stored."),
          args);
    const QStringList pos = p.positionalArguments();
    if (pos.size() < 2)
        return fail(QStringLiteral("add needs an ALBUM and at least one PATH"), 2);
    const QString albumPath = pos.at(0);

    // The files, in the order given; folders in the order their scan lists them.
    QList<Problem> missing;
    QList<Problem> leftOut;
    qint64 leftOutCount = 0;
    QStringList files;
    for (const QString& path : pos.mid(1)) {
        const QFileInfo info(path);
        if (info.isDir()) {
            SearchRequest request;
            request.folder = info.absoluteFilePath();
            request.pattern = p.value(QStringLiteral("pattern"));
            // Every picture and clip kind the program reads.
            request.defaultPattern = ReadableFilesPattern();
            request.recursive = p.isSet(QStringLiteral("recursive"));
            SearchResult found = RunSearch(request);
            files << found.files;
            for (const LeftOutFile& f : std::as_const(found.leftOut))
                leftOut.append({f.path, LeftOutReasonText(f.reason, found.pattern)});
            leftOutCount += found.leftOutCount;
        } else if (info.isFile()) {
            files << info.absoluteFilePath();
        } else {
            missing.append({path, QStringLiteral("no such file or folder")});
        }
    }

    CliPrompts prompts;
    prompts.allowDuplicates = p.isSet(QStringLiteral("allow-duplicates"));
    prompts.passwordFromStdin = p.isSet(QStringLiteral("password-stdin"));
    std::unique_ptr<AlbumStore> album;
    if (IsServerAlbumName(albumPath)) {
        // Made by q32 create; its role's password comes as for the other commands.
        OpenedStore server = openStoreForCommand(albumPath, p, Access::Writable);
        if (!server.album)
            return server.exitCode;
        if (server.album->isReadOnly())
            return fail(albumName(albumPath) +
                        QStringLiteral(": the server lets this role only read the album"));
        album = std::move(server.album);
    } else {
        int readOnlyFailures = 0;
        AddRunAlbum opened = OpenAlbumForAdding(albumPath, prompts, readOnlyFailures);
        if (!opened.album)
            return fail(albumPath + QStringLiteral(": cannot be opened for adding"));
        album = std::move(opened.album);
    }

    QTemporaryDir work;
    AddRunOptions options;
    options.workFolder = work.path() + QLatin1Char('/');
    options.compressStorage = p.isSet(QStringLiteral("compress"));
    options.dateTaken = p.isSet(QStringLiteral("date-taken"));
    options.skipDuplicates = p.isSet(QStringLiteral("skip-duplicates"));
    options.groupBytes = p.value(QStringLiteral("group")).toLongLong() << 20;
    prompts.quiet = true; // reasons are reported below, one line per file

    StderrReport report(files.size());
    std::signal(SIGINT, onInterrupt);
    const AddRunSummary summary = AddRun(*album, prompts, options).run(files, &report);
    std::signal(SIGINT, SIG_DFL);
    album.reset();

    QList<Problem> failed = missing + report.failed;
    if (summary.notAttempted > 0)
        failed.append({QStringLiteral("%1 more files").arg(summary.notAttempted),
                       summary.end == AddRunSummary::End::Stopped
                           ? QStringLiteral("not attempted: the run was interrupted")
                           : QStringLiteral("not attempted after the album failed")});
    QString counts = QStringLiteral("%1 stored, %2 skipped, %3 failed")
                         .arg(summary.stored)
                         .arg(report.skipped.size())
                         .arg(missing.size() + report.failed.size() + summary.notAttempted);
    if (leftOutCount > 0)
        counts += QStringLiteral(", %1 left out of the folders").arg(leftOutCount);
    err() << counts << Qt::endl;
    for (const Problem& s : std::as_const(report.skipped))
        err() << "skipped " << s.file << ": " << s.reason << Qt::endl;
    for (const Problem& f : std::as_const(failed))
        err() << "failed " << f.file << ": " << f.reason << Qt::endl;
    for (const Problem& l : std::as_const(leftOut))
        err() << "left out " << l.file << ": " << l.reason << Qt::endl;
    if (leftOutCount > leftOut.size())
        err() << "left out " << leftOutCount - leftOut.size() << " more files" << Qt::endl;
    return failed.isEmpty() ? 0 : 1;
}

} // namespace q32::cli
