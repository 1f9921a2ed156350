// An album on a PostgreSQL server against an album file, in the same run: adding 1,000 photos of
// about 50 KB to a new album of each kind, as q32 add does (a median of rounds). The server is a
// private PostgreSQL started for the run with its default durability, reached through its Unix
// socket on the same machine.
//
// usage: bench_server [WORK_FOLDER]

#include "BenchFigures.h"
#include "BenchWork.h"
#include "PgServer.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/add/AddRun.h"
#include "album/server/ServerAlbum.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

using namespace q32;
using q32::bench::Median;

namespace {

const QString kRolePassword = QStringLiteral("bench-role");

// Seconds of an add run of files into album, or -1 when not every file was stored.
double addRun(AlbumStore& album, const QStringList& files, const QString& work) {
    test::ScriptedPromptService prompts;
    AddRunOptions options;
    options.workFolder = work + QLatin1Char('/');
    QElapsedTimer t;
    t.start();
    const AddRunSummary summary = AddRun(album, prompts, options).run(files);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (summary.stored != files.size()) {
        std::fprintf(stderr, "stored %lld of %lld: %s\n", summary.stored, qint64(files.size()),
                     qPrintable(summary.albumError));
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + "/bench_server-XXXXXX"
                               : QDir::tempPath() + "/bench_server-XXXXXX");
    const QString work = bench::WorkFolder(dir);
    if (!test::PgServer::missingReason().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(test::PgServer::missingReason()));
        return 2;
    }
    test::PgServer server(true); // flushing its commits to the disk, as the album file does
    if (!server.isRunning() || !server.createRole(QStringLiteral("owner"), kRolePassword)) {
        std::fprintf(stderr, "no server: %s\n", qPrintable(server.error()));
        return 2;
    }

    const QStringList files = bench::CopiesOfOnePhoto(work, 1000);
    const qint64 bytes = QFileInfo(files.first()).size() * files.size();

    QList<double> onFile, onServer;
    const int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        const QString file = work + QStringLiteral("/round%1.mdb").arg(round);
        AlbumDb::create(file, true);
        QProcess::execute("sync", {});
        onFile << addRun(*AlbumDb::open(file, {}, nullptr), files, work);
        QFile::remove(file);

        const QString db = QStringLiteral("round%1").arg(round);
        const QString uri = server.uri(db, QStringLiteral("owner"), kRolePassword);
        AlbumStatus status;
        std::unique_ptr<ServerAlbum> album;
        if (server.createDatabase(db, QStringLiteral("owner")) &&
            ServerAlbum::create(uri, {}, true).ok())
            album = ServerAlbum::open(uri, {}, false, &status);
        if (!album) {
            std::fprintf(stderr, "no server album: %s\n", qPrintable(status.text()));
            return 2;
        }
        QProcess::execute("sync", {});
        onServer << addRun(*album, files, work);
        if (onFile.last() < 0 || onServer.last() < 0)
            return 1;
        std::fprintf(stderr, "round %d: file %.3f s, server %.3f s\n", round, onFile.last(),
                     onServer.last());
    }
    const double mb = bytes / 1e6;
    std::printf("add 1,000 photos (%.0f MB) to a new album, median of %d: file %.2f s (%.0f MB/s), "
                "server %.2f s (%.0f MB/s): the server's throughput %.2f of the file's (aim at "
                "least 0.5)\n",
                mb, rounds, Median(onFile), mb / Median(onFile), Median(onServer),
                mb / Median(onServer), Median(onFile) / Median(onServer));
    return 0;
}
