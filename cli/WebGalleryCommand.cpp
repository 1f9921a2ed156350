// q32 export ALBUM --web DIR: the web gallery, written by the same job as the window's, with
// progress on standard error; Ctrl-C stops it and leaves DIR as it was.

#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "output/gallery/GalleryJob.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>

namespace q32::cli {
namespace {

GalleryJob* runningJob = nullptr;

void onInterrupt(int) {
    if (runningJob)
        runningJob->requestStop();
    std::signal(SIGINT, SIG_DFL);
}

int sizeOption(const QCommandLineParser& p, const char* name, int minimum, int maximum,
               int& value) {
    bool ok = false;
    value = p.value(QLatin1String(name)).toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return fail(QStringLiteral("--%1 takes %2 to %3")
                        .arg(QLatin1String(name))
                        .arg(minimum)
                        .arg(maximum),
                    2);
    return 0;
}

} // namespace

int exportWebGallery(const QCommandLineParser& p) {
    AlbumQuery query;
    if (const int code = queryFromOptions(p, query))
        return code;
    const QString path = p.positionalArguments().at(0);
    GalleryOptions options;
    options.folder = p.value(QStringLiteral("web"));
    options.title = p.isSet(QStringLiteral("title")) ? p.value(QStringLiteral("title"))
                                                     : QFileInfo(path).completeBaseName();
    if (const int code = sizeOption(p, "size", 64, 8192, options.pictureSize))
        return code;
    if (const int code = sizeOption(p, "thumbnail-size", 32, 1024, options.thumbnailSize))
        return code;
    if (const int code = sizeOption(p, "per-page", 1, 100000, options.perPage))
        return code;
    const QStringList shown =
        p.value(QStringLiteral("show")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& s : shown)
        if (!QStringList({"description", "keywords", "date", "properties"}).contains(s.trimmed()))
            return fail(QStringLiteral("--show takes description, keywords, date and properties"),
                        2);
    const auto shows = [&shown](const char* what) { return shown.contains(QLatin1String(what)); };
    options.descriptions = shows("description");
    options.keywords = shows("keywords");
    options.dates = shows("date");
    options.properties = shows("properties");
    options.copyOriginals = p.isSet(QStringLiteral("originals"));

    const OpenedAlbum opened = openForCommand(path, p, Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    CliPrompts prompts;
    prompts.quiet = true;
    // The question about a protected album is answered by --unprotected.
    prompts.allowDuplicates = p.isSet(QStringLiteral("unprotected"));
    if (!ConfirmGalleryOfProtectedAlbum(prompts, *opened.album))
        return fail(QStringLiteral("%1 is protected by a password and a web gallery is not; give "
                                   "--unprotected to write it all the same")
                        .arg(path));

    GalleryJob job(*opened.album, query, options);
    // Printed on this thread, between the worker's reports.
    QObject::connect(&job, &GalleryJob::progress, &job,
                     [](qint64 done, qint64 total, const QString& file) {
                         err() << '[' << done << '/' << total << "] " << file << Qt::endl;
                     });
    QObject::connect(&job, &GalleryJob::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    runningJob = &job;
    std::signal(SIGINT, onInterrupt);
    job.start();
    QCoreApplication::exec();
    std::signal(SIGINT, SIG_DFL);
    runningJob = nullptr;

    const GalleryResult& result = job.result();
    switch (result.outcome) {
    case GalleryResult::Outcome::Written:
        if (result.unreadable)
            err() << result.unreadable << " pictures could not be read and show a placeholder"
                  << Qt::endl;
        err() << "web gallery of " << result.records << " records written to " << options.folder
              << Qt::endl;
        return result.unreadable ? 1 : 0;
    case GalleryResult::Outcome::Cancelled:
        return fail(QStringLiteral("stopped: %1 is as it was").arg(options.folder), 130);
    case GalleryResult::Outcome::Failed:
        break;
    }
    return fail(QStringLiteral("the web gallery was not written: ") + result.problem);
}

} // namespace q32::cli
