// An album of 1,000,000 records of small pictures with their thumbnails: opening it to the first
// screen of rows in each of the ten orders and filters; in the window, the record grid's and the
// thumbnail view's first screen and a page scrolled at the top and in the middle; q32 list's
// first line; the window's peak memory; and adding 1,000 photos to it against adding them to an
// empty album, in the same run.
//
// usage: bench_million [WORK_FOLDER] [RECORDS] [PARTS]   (PARTS: any of orders,window,list,add;
// all by default)
// The album is made at WORK_FOLDER/million-RECORDS.mdb (RECORDS = 1000000) when it is not there
// yet, and kept for the next run: making it takes minutes.

#include "BenchFigures.h"
#include "BenchOpen.h"
#include "BenchWindow.h"
#include "BenchWork.h"
#include "album/AlbumThumbnails.h"
#include "album/ContentHashes.h"
#include "album/PictureHashes.h"
#include "album/add/AddRun.h"
#include "platform/sqlite/SqliteDb.h"
#include "shell/AlbumBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

using namespace q32;
using bench::Median;
using bench::Window;
using bench::Worst;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Records with generated texts: every tenth has keyword tag3, every seventh a sunset.
bool makeAlbum(const QString& path, int records, const QString& work) {
    std::printf("making an album of %d records (kept at %s) ...\n", records, qPrintable(path));
    std::fflush(stdout);
    QProcess::execute("convert", {"-size", "32x24", "xc:orange", work + "/small.png"});
    QProcess::execute("convert", {"-size", "160x120", "gradient:orange-navy", "-quality", "80",
                                  work + "/thumb.jpg"});
    const QByteArray picture = bytesOf(work + "/small.png");
    const QByteArray thumbnail = bytesOf(work + "/thumb.jpg");
    const auto pictureHash = PerceptualHash(QImage(work + "/small.png"));
    QFile::remove(path);
    if (picture.isEmpty() || thumbnail.isEmpty() || !AlbumDb::create(path, true).ok())
        return false;
    auto db = AlbumDb::open(path, {}, nullptr);
    if (!db)
        return false;
    sqlite::Transaction tx(db->connection());
    for (int i = 0; i < records; ++i) {
        PictureRecord r;
        r.imageFile =
            QStringLiteral("IMG_%1.png").arg((qint64(i) * 7919) % records, 7, 10, QLatin1Char('0'));
        r.imageFormat = i % 3 ? QStringLiteral("75 Portable Network Graphics")
                              : QStringLiteral("10 JPEG File Interchange Format");
        r.imageProperties = QStringLiteral("(32x24) (16,777,216 colors)");
        r.date = QDate(2000, 1, 1).addDays(i % 9000);
        r.keywords = QStringLiteral("holiday, tag%1").arg(i % 10);
        r.description = i % 7 ? QStringLiteral("a walk in the park") : "sunset over the sea";
        qint64 id = 0;
        if (!db->addRecordBytes(r, picture, &id).ok() || !StoreThumbnail(*db, id, thumbnail).ok() ||
            !StorePictureHash(*db, id, pictureHash).ok())
            return false;
    }
    if (!tx.commit().ok())
        return false;
    // Hashed, as the program's background runs leave an album, so that they do not compete with
    // what is measured.
    FillContentHashes(*db);
    return true;
}

// Milliseconds from the start of q32 list until its first line arrives.
double firstListedLine(const QString& album) {
    QProcess list;
    QElapsedTimer t;
    t.start();
    list.start(QStringLiteral(Q32_BINARY), {"list", album});
    while (list.waitForReadyRead(60000))
        if (list.canReadLine())
            break;
    const double ms = t.nsecsElapsed() / 1e6;
    list.kill();
    list.waitForFinished();
    return ms;
}

// The frames of pages scrolled one after another, each painted.
QList<double> scrollPages(QAbstractScrollArea* view, int pages, ThumbnailPane* pane = nullptr) {
    QList<double> frames;
    QScrollBar* bar = view->verticalScrollBar();
    for (int page = 0; page < pages; ++page) {
        QElapsedTimer f;
        f.start();
        bar->setValue(bar->value() + bar->pageStep());
        view->viewport()->repaint();
        frames << f.nsecsElapsed() / 1e6;
        if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
            std::fprintf(stderr, "  frame at %d: %.1f ms\n", bar->value(), frames.last());
        if (pane)
            bench::WaitForScreen(*pane);
        else
            QCoreApplication::processEvents();
    }
    return frames;
}

// Seconds of an add run of files into album, in this process, as q32 add runs it.
double addRun(const QString& album, const QStringList& files) {
    auto db = AlbumDb::open(album, {}, nullptr);
    if (!db)
        return -1;
    test::ScriptedPromptService prompts;
    AddRunOptions run;
    run.workFolder = QFileInfo(album).absolutePath() + QLatin1Char('/');
    QElapsedTimer t;
    t.start();
    const AddRunSummary summary = AddRun(*db, prompts, run).run(files);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (summary.stored != files.size())
        std::fprintf(stderr, "stored %lld of %lld\n", summary.stored, qint64(files.size()));
    return seconds;
}

// Deletes the records after lastKept, so that the kept album is as it was for the next run.
void deleteAddedRecords(const QString& album, qint64 lastKept) {
    auto db = AlbumDb::open(album, {}, nullptr);
    sqlite::Transaction tx(db->connection());
    sqlite::Statement added = db->connection().prepare(
        QStringLiteral("SELECT rowid FROM Pictures WHERE rowid > %1").arg(lastKept));
    QList<qint64> ids;
    while (added.step() == SQLITE_ROW)
        ids << added.int64(0);
    for (const qint64 id : std::as_const(ids))
        db->deleteRecord(id);
    tx.commit();
}

qint64 lastRowId(AlbumDb& db) {
    sqlite::Statement st =
        db.connection().prepare(QStringLiteral("SELECT max(rowid) FROM Pictures"));
    return st.step() == SQLITE_ROW ? st.int64(0) : 0;
}

void printWindowFigures(const QList<double>& gridOpen, const QList<double>& thumbOpen,
                        const QList<double>& gridTop, const QList<double>& gridMiddle,
                        const QList<double>& thumbTop, const QList<double>& thumbMiddle, long peak,
                        long atStart);
void printListFigure(const QString& album);
void addFigures(const QString& album, int records, const QString& work);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--open") {
        QCoreApplication app(argc, argv);
        return bench::OpenFirstScreen(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int records = argc > 2 ? std::max(1, atoi(argv[2])) : 1000000;
    const QString parts = argc > 3 ? QString::fromLocal8Bit(argv[3]) : "orders,window,list,add";
    QTemporaryDir tmp(folder + "/bench_million_XXXXXX");
    const QString work = bench::WorkFolder(tmp);
    qputenv("QUILLON32_HOME", (work + "/home/").toLocal8Bit());
    QDir().mkpath(work + "/home");

    const QString album = folder + QStringLiteral("/million-%1.mdb").arg(records);
    {
        AlbumStatus status;
        auto db = AlbumDb::open(album, {true, {}}, &status);
        const bool ready =
            db && db->rowCount() == records && ReadPictureHash(*db, lastRowId(*db)).has_value();
        db.reset();
        QElapsedTimer made;
        made.start();
        if (!ready && !makeAlbum(album, records, work)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(album));
            return 1;
        }
        if (!ready)
            std::printf("made in %.0f s\n", made.elapsed() / 1000.0);
    }
    std::printf("album of %d records, %.1f GB\n\n", records, QFileInfo(album).size() / 1e9);
    std::fflush(stdout);

    if (parts.contains("orders"))
        bench::OpenInEveryOrder(
            album, "open to the first screen of rows (the records, no window):", 100, 200);

    // The window: the grid's and the thumbnail view's first screen, and pages scrolled.
    QList<double> gridOpen, thumbOpen, gridTop, gridMiddle, thumbTop, thumbMiddle;
    long peak = 0;
    const long atStart = bench::PeakKb();
    for (int i = 0; i < 3 && parts.contains("window"); ++i) {
        // The first round reads the album from the disk, as the first open after a start does;
        // the others find its pages in memory, as when it is opened again.
        if (i == 0)
            bench::DropFromPageCache(album);
        {
            Window w(work + QStringLiteral("/g%1.ini").arg(i));
            w.main.grid()->show();
            if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
                std::fprintf(stderr, "peak with the window, no album: %ld MB\n",
                             bench::PeakKb() / 1024);
            QElapsedTimer t;
            t.start();
            bench::OpenAlbum(w.main.browser(), album);
            w.main.grid()->viewport()->repaint();
            gridOpen << t.nsecsElapsed() / 1e6;
            gridTop << scrollPages(w.main.grid(), 20);
            QScrollBar* bar = w.main.grid()->verticalScrollBar();
            bar->setValue(bar->maximum() / 2);
            w.main.grid()->viewport()->repaint();
            QCoreApplication::processEvents();
            gridMiddle << scrollPages(w.main.grid(), 20);
            if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
                std::fprintf(stderr, "peak with the grid's album: %ld MB\n",
                             bench::PeakKb() / 1024);
        }
        if (i == 0)
            bench::DropFromPageCache(album);
        {
            Window w(work + QStringLiteral("/t%1.ini").arg(i));
            ThumbnailPane& pane = w.main.thumbnails();
            pane.setOn(true);
            QCoreApplication::processEvents();
            QElapsedTimer t;
            t.start();
            bench::OpenAlbum(w.main.browser(), album);
            const double opened = t.nsecsElapsed() / 1e6;
            bench::WaitForScreen(pane);
            thumbOpen << t.nsecsElapsed() / 1e6;
            if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
                std::fprintf(stderr, "thumbnail view: album open %.1f ms, first screen %.1f ms\n",
                             opened, thumbOpen.last());
            thumbTop << scrollPages(pane.view(), 10, &pane);
            QScrollBar* bar = pane.view()->verticalScrollBar();
            bar->setValue(bar->maximum() / 2);
            bench::WaitForScreen(pane);
            thumbMiddle << scrollPages(pane.view(), 10, &pane);
        }
        peak = std::max(peak, bench::PeakKb());
    }
    if (parts.contains("window"))
        printWindowFigures(gridOpen, thumbOpen, gridTop, gridMiddle, thumbTop, thumbMiddle, peak,
                           atStart);
    if (parts.contains("list"))
        printListFigure(album);
    if (parts.contains("add"))
        addFigures(album, records, work);
    return 0;
}

namespace {

void printWindowFigures(const QList<double>& gridOpen, const QList<double>& thumbOpen,
                        const QList<double>& gridTop, const QList<double>& gridMiddle,
                        const QList<double>& thumbTop, const QList<double>& thumbMiddle, long peak,
                        long atStart) {
    std::printf("\nthe window, median of 3 opens (the first with the album's pages on the disk, "
                "the worst frames of all 3):\n");
    std::printf("  open to the record grid's first screen:    %7.1f ms (aim 100 ms); from the "
                "disk %.1f ms\n",
                Median(gridOpen), gridOpen.value(0));
    std::printf("  open to the thumbnail view's first screen: %7.1f ms (aim 150 ms); from the "
                "disk %.1f ms\n",
                Median(thumbOpen), thumbOpen.value(0));
    auto frames = [](const char* what, const QList<double>& top, const QList<double>& middle) {
        std::printf("  scroll a page, %-15s at the top: median %5.1f ms, worst %5.1f ms;  in the "
                    "middle: median %5.1f ms, worst %5.1f ms (aim 16 ms a frame)\n",
                    what, Median(top), Worst(top), Median(middle), Worst(middle));
    };
    frames("record grid", gridTop, gridMiddle);
    frames("thumbnail view", thumbTop, thumbMiddle);
    std::printf("  peak memory of the window's process: %ld MB (aim 200 MB); before the first "
                "open: %ld MB\n",
                peak / 1024, atStart / 1024);
}

void printListFigure(const QString& album) {
    QList<double> listed;
    for (int i = 0; i < 3; ++i)
        listed << firstListedLine(album);
    std::printf("\nq32 list, its first line: %6.1f ms (aim 100 ms)\n", Median(listed));
    std::fflush(stdout);
}

void addFigures(const QString& album, int records, const QString& work) {
    // 1,000 photos, into the large album and into an empty one, in turn.
    const QStringList files = bench::CopiesOfOnePhoto(work, 1000);
    const qint64 lastKept = lastRowId(*AlbumDb::open(album, {true, {}}, nullptr));
    QList<double> large, empty;
    const int rounds = qEnvironmentVariableIntValue("BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("BENCH_ROUNDS")
                           : 7;
    for (int round = 0; round < rounds; ++round) {
        QProcess::execute("sync", {});
        large << addRun(album, files);
        deleteAddedRecords(album, lastKept);
        const QString fresh = work + "/empty.mdb";
        QFile::remove(fresh);
        AlbumDb::create(fresh, true);
        QProcess::execute("sync", {});
        empty << addRun(fresh, files);
        QFile::remove(fresh);
        if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
            std::fprintf(stderr, "round %d: large %.3f s, empty %.3f s\n", round, large.last(),
                         empty.last());
    }
    std::printf("\nadd 1,000 photos: into the album of %d records %6.2f s, into an empty album "
                "%6.2f s (median of %d): throughput ratio %.2f (aim at least 0.9)\n",
                records, Median(large), Median(empty), rounds, Median(empty) / Median(large));
}

} // namespace
