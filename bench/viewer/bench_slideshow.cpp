// The slideshow over 24-megapixel JPEGs: the time from the interval's end (the clock's tick) to
// the first transition frame on screen, with the next picture decoded ahead, beside decoding one
// such picture on demand at the screen's size (what a show without decoding ahead would wait)
// and one 60 Hz frame; and the peak memory of the process over the show.
// Usage: bench_slideshow [PICTURES] [WORK_FOLDER]
#include "BenchFigures.h"
#include "BenchWork.h"
#include "MainWindowRun.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/ContentHashes.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/imaging/Imaging.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/MainWindow.h"
#include "viewer/ui/FullPicture.h"
#include "viewer/ui/PictureCanvas.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace q32;
using bench::Median;
using bench::Worst;

namespace {

long statusKb(const char* key) {
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

void waitUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pictures = argc > 1 ? std::max(2, std::atoi(argv[1])) : 100;
    QTemporaryDir tmp((argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath()) +
                      "/bench_slideshow_XXXXXX");
    const QString work = q32::bench::WorkFolder(tmp);
    qputenv("QUILLON32_HOME", (work + "/home/").toLocal8Bit());
    QDir().mkpath(work + "/home");

    // Four different 6000 x 4000 photos, repeated to fill the show.
    std::printf("making four 6000 x 4000 photos ...\n");
    QStringList photos;
    const char* gradients[4] = {"gradient:red-blue", "gradient:yellow-green",
                                "gradient:white-purple", "gradient:orange-navy"};
    for (int i = 0; i < 4; ++i) {
        photos << work + QStringLiteral("/p%1.jpg").arg(i);
        QProcess::execute("convert", {"-size", "6000x4000", gradients[i], "-attenuate", "0.4",
                                      "+noise", "Gaussian", "-quality", "88", photos.last()});
    }
    const QString album = work + "/show.mdb";
    AlbumDb::create(album, true);
    {
        auto db = AlbumDb::open(album, {}, nullptr);
        for (int i = 0; i < pictures; ++i) {
            PictureRecord r;
            r.date = QDate(2024, 1, 1).addDays(i);
            r.imageFile = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
            r.imageFormat = "10 JPEG File Interchange Format";
            r.imageProperties = "(24 MP)";
            db->addRecord(r, photos[i % 4]);
        }
        // Hashed, as the program's background run leaves an album, so that run does not compete
        // with what is measured.
        FillContentHashes(*db);
    }
    QFile selection(work + "/home/Effects2.txt");
    selection.open(QIODevice::WriteOnly);
    selection.write("0000) Wipe (from left) [1], 1\n0040) Iris, 100\n");
    selection.close();

    ProgramState state;
    state.paths.AppDir = work + "/home/";
    test::ScriptedPromptService prompts;
    Settings settings(work + "/bench.ini", &prompts);
    MainWindow main(state, settings, prompts, {});
    test::OpenAlbum(main.browser(), album);
    state.options.ViewFit = true;
    const long before = statusKb("VmRSS:");

    main.startSlideshow();
    FullPicture* viewer = main.viewer();
    waitUntil([viewer] { return viewer->idle(); });
    // The benchmark ticks the clock itself: its timer, which each shown picture starts again,
    // must not step the show while the next picture is being prepared.
    viewer->clock().setEnabled(false);
    QObject::connect(viewer, &FullPicture::pictureShown,
                     [viewer] { viewer->clock().setEnabled(false); });
    QList<double> delays;
    QElapsedTimer t;
    double started = -1;
    QObject::connect(viewer->canvas(), &PictureCanvas::transitionStarted,
                     [&] { started = t.nsecsElapsed() / 1e6; });
    for (int i = 1; i < pictures; ++i) {
        // The interval passes: the next picture has long been prepared.
        waitUntil([viewer] { return viewer->idle(); });
        viewer->clock().setEnabled(true);
        started = -1;
        t.start();
        viewer->clock().tick();
        viewer->clock().tick(); // interval 0: the second tick asks for the next picture
        waitUntil([&] { return started >= 0; });
        delays << started;
        waitUntil([viewer] { return !viewer->canvas()->inTransition(); });
    }
    const long peak = statusKb("VmHWM:");

    // Reference: one picture decoded on demand at the screen's size.
    QList<double> onDemand;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer d;
        d.start();
        QImage image;
        LoadImage(photos[i % 4], image, LoadOptions{viewer->area(), true, 0, true});
        onDemand << d.nsecsElapsed() / 1e6;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("\n%d pictures of 6000 x 4000 on a %d x %d viewer\n", pictures,
                viewer->area().width(), viewer->area().height());
    std::printf("interval end to first transition frame: median %.1f ms, worst %.1f ms (aim: "
                "under one 60 Hz frame, 16.7 ms)\n",
                Median(delays), delays.last());
    std::printf("reference: decoding one picture on demand at the screen's size: %.1f ms\n",
                Median(onDemand));
    std::printf("memory: %ld MB before the show, peak %ld MB during it (aim: under 400 MB)\n",
                before / 1024, peak / 1024);
    return 0;
}
