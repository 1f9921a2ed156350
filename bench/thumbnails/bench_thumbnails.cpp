// The thumbnail view of an album of 100,000 records: opening it to its first screen of
// thumbnails, against opening the same album to the record grid's first screen; and scrolling a
// page (the frame painted, and the time until the page's thumbnails show), against scrolling the
// grid a page.
// Usage: bench_thumbnails [WORK_FOLDER]

#include "BenchFigures.h"
#include "BenchWindow.h"
#include "BenchWork.h"
#include "MainWindowRun.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/AlbumThumbnails.h"
#include "album/ContentHashes.h"
#include "album/thumbnails/ThumbnailModel.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/sqlite/SqliteDb.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ThumbnailPane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace q32;
using bench::Median;
using bench::Window;
using bench::Worst;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + "/bench_thumbnails_XXXXXX"
                               : QDir::tempPath() + "/bench_thumbnails_XXXXXX");
    const QString work = q32::bench::WorkFolder(tmp);
    qputenv("QUILLON32_HOME", (work + "/home/").toLocal8Bit());
    QDir().mkpath(work + "/home");

    // Each record: a small picture, and a photo-like thumbnail as the add run makes them.
    QProcess::execute("convert", {"-size", "32x24", "xc:orange", work + "/small.png"});
    QProcess::execute("convert", {"-size", "160x120", "plasma:fractal", "-seed", "7", "-quality",
                                  "80", work + "/thumb.jpg"});
    auto bytesOf = [](const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    const QByteArray picture = bytesOf(work + "/small.png");
    const QByteArray thumbnail = bytesOf(work + "/thumb.jpg");

    const QString large = work + "/large.mdb";
    std::printf("making an album of 100,000 records with thumbnails of %lld bytes ...\n",
                qlonglong(thumbnail.size()));
    AlbumDb::create(large, true);
    {
        AlbumStatus status;
        auto db = AlbumDb::open(large, {}, &status);
        sqlite::Transaction tx(db->connection());
        for (int i = 0; i < 100000; ++i) {
            PictureRecord r;
            r.date = QDate(2000, 1, 1).addDays(i % 9000);
            r.imageFile = QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
            r.imageFormat = "10 JPEG File Interchange Format";
            r.imageProperties = "(2,048 bytes) (320x200) (16,777,216 colors)";
            qint64 id = 0;
            db->addRecordBytes(r, picture, &id);
            StoreThumbnail(*db, id, thumbnail);
        }
        tx.commit();
        // Hashed, as the program's background run leaves an album, so that run does not compete
        // with what is measured.
        FillContentHashes(*db);
    }

    QList<double> gridOpen, thumbOpen, thumbAfterOpen;
    QList<double> gridFrames, thumbFrames, thumbPages;
    for (int i = 0; i < 5; ++i) {
        {
            Window w(work + QStringLiteral("/g%1.ini").arg(i));
            w.main.grid()->show();
            QElapsedTimer t;
            t.start();
            bench::OpenAlbum(w.main.browser(), large);
            w.main.grid()->viewport()->repaint();
            gridOpen << t.nsecsElapsed() / 1e6;
            QScrollBar* bar = w.main.grid()->verticalScrollBar();
            for (int page = 0; page < 20; ++page) {
                QElapsedTimer f;
                f.start();
                bar->setValue(bar->value() + bar->pageStep());
                w.main.grid()->viewport()->repaint();
                gridFrames << f.nsecsElapsed() / 1e6;
                QCoreApplication::processEvents();
            }
        }
        {
            Window w(work + QStringLiteral("/t%1.ini").arg(i));
            ThumbnailPane& pane = w.main.thumbnails();
            pane.setOn(true);
            QCoreApplication::processEvents();
            QElapsedTimer t;
            t.start();
            bench::OpenAlbum(w.main.browser(), large);
            const double opened = t.nsecsElapsed() / 1e6;
            bench::WaitForScreen(pane);
            thumbOpen << t.nsecsElapsed() / 1e6;
            thumbAfterOpen << thumbOpen.last() - opened;
            QScrollBar* bar = pane.view()->verticalScrollBar();
            for (int page = 0; page < 20; ++page) {
                QElapsedTimer f;
                f.start();
                bar->setValue(bar->value() + bar->pageStep());
                pane.view()->viewport()->repaint();
                thumbFrames << f.nsecsElapsed() / 1e6;
                bench::WaitForScreen(pane);
                thumbPages << f.nsecsElapsed() / 1e6;
            }
        }
    }
    std::printf("\nopen 100,000 records to the first screen: thumbnail view %7.1f ms   record grid "
                "%7.1f ms   (aim 150 ms)\n",
                Median(thumbOpen), Median(gridOpen));
    std::printf(
        "  of which after the album's rows were read (layout, thumbnails read and painted): "
        "%5.1f ms\n",
        Median(thumbAfterOpen));
    std::printf(
        "scroll a page, the frame painted: thumbnail view median %5.1f ms, worst %5.1f ms   "
        "record grid median %5.1f ms, worst %5.1f ms   (aim 16 ms)\n",
        Median(thumbFrames), Worst(thumbFrames), Median(gridFrames), Worst(gridFrames));
    std::printf("scroll a page until its thumbnails show: median %5.1f ms, worst %5.1f ms\n",
                Median(thumbPages), Worst(thumbPages));
    return 0;
}
