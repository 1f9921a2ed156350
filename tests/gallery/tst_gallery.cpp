// The web gallery written from real albums: pictures made by ImageMagick and ffmpeg, every link
// of every page followed to a file, the target folder watched through cancels and failures, the
// question about protected albums, the window and q32 export --web.

#include "Q32Run.h"
#include "ScriptedPromptService.h"
#include "TestAlbums.h"
#include "TestFiles.h"
#include "album/AlbumMaintenance.h"
#include "output/gallery/GalleryHtml.h"
#include "output/gallery/GalleryWriter.h"
#include "output/gallery/ui/GalleryWindow.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace q32;
using namespace q32::gallery;

namespace {

QString make(const QString& path, const QString& program, const QStringList& args) {
    return QProcess::execute(program, args + QStringList{path}) == 0 ? path : QString();
}

// Every src, href and poster of every page of the site, as files: those that are missing.
QStringList danglingLinks(const QString& site) {
    QStringList missing;
    static const QRegularExpression link(QStringLiteral("(?:src|href|poster)=\"([^\"#]*)"));
    QDirIterator pages(site, {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QFileInfo page(pages.next());
        const QString html = QString::fromUtf8(test::readFile(page.filePath()));
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = QUrl::fromPercentEncoding(m.next().captured(1).toUtf8());
            if (!target.isEmpty() && !QFileInfo::exists(page.dir().filePath(target)))
                missing << page.fileName() + " -> " + target;
        }
    }
    return missing;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

using Outcome = GalleryResult::Outcome;

// Stops the export once `after` records are written.
struct StopAfter : GalleryListener {
    explicit StopAfter(qint64 after) : after(after) {}
    qint64 after;
    qint64 done = 0;
    void progress(qint64 n, qint64, const QString&) override { done = n; }
    bool stopRequested() override { return done >= after; }
};

} // namespace

class TestGallery : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_album;
    QMap<QString, QString> m_files; // kind -> picture file

private slots:
    void initTestCase() {
        const QString d = m_dir.path() + QLatin1Char('/');
        m_files = {
            {"jpeg", make(d + "photo.jpg", "convert", {"-size", "640x480", "plasma:fractal"})},
            {"alpha", make(d + "alpha.png", "convert",
                           {"-size", "300x200", "xc:none", "-fill", "rgba(255,0,0,0.5)", "-draw",
                            "circle 150 100 150 10"})},
            {"tiff", make(d + "scan.tif", "convert", {"-size", "900x600", "gradient:blue-yellow"})},
            {"gif", make(d + "anim.gif", "convert",
                         {"-size", "60x60", "xc:red", "xc:green", "-set", "delay", "20"})},
            {"pcx", make(d + "old.pcx", "convert", {"-size", "120x90", "xc:orange"})},
            {"clip", make(d + "clip.mp4", "ffmpeg",
                          {"-loglevel", "error", "-f", "lavfi", "-i",
                           "testsrc=duration=1:size=160x120:rate=10", "-pix_fmt", "yuv420p"})},
        };
        for (const QString& f : m_files)
            QVERIFY2(!f.isEmpty(), "ImageMagick or ffmpeg could not make a test file");
        m_album = test::MakeAlbum(
            d + "album.mdb",
            {{"photo.jpg", "<b>&\"</b> then <script>document.title='x'</script>", "sea",
              m_files["jpeg"], "10 JPEG File Interchange Format"},
             {"alpha.png", "", "sea", m_files["alpha"], "75 Portable Network Graphics"},
             {"scan.tif", "a scan", "", m_files["tiff"], "03 TIFF (uncompressed)"},
             {"anim.gif", "moving", "sea", m_files["gif"], "84 GIF"},
             {"../../my #pic é 100%.pcx", "", "", m_files["pcx"], "54 PC Paintbrush"},
             {"clip.mp4", "a clip", "", m_files["clip"], "95 MPEG-4 Video"}});
        QVERIFY(!m_album.isEmpty());
    }

    void textsEscapedAndNamesSafe() {
        QCOMPARE(escapeHtml("<b>&\"'"), "&lt;b&gt;&amp;&quot;&#39;");
        for (const char* stored : {"../../etc/passwd", "..\\..\\x.jpg", "/abs/.hidden.jpg",
                                   "a\nb\x01.jpg", "..", "", "x.j/pg"}) {
            const QString name = siteFileName(7, QString::fromUtf8(stored));
            QVERIFY2(name.startsWith("7-") && !name.contains('/') && !name.contains('\\') &&
                         !name.contains("..") && !name.contains('\n') && !name.contains('\x01'),
                     qPrintable(name));
        }
    }

    void siteOfTheOrderInForce() {
        QTemporaryDir out;
        AlbumStatus status;
        auto album = AlbumDb::open(m_album, {true}, &status);
        QVERIFY(album);
        GalleryOptions o{.folder = out.filePath("site"),
                         .title = "Mine <&>",
                         .thumbnailSize = 64,
                         .pictureSize = 300,
                         .perPage = 4,
                         .copyOriginals = true};
        GalleryListener quiet;
        const GalleryResult r = WriteGallery(*album, AlbumQuery{2}, o, quiet); // by file name
        QCOMPARE(r.outcome, Outcome::Written);
        QCOMPARE(r.records, 6);
        QCOMPARE(r.unreadable, 0);
        const QDir site(o.folder);
        QCOMPARE(site.entryList({"*.html"}, QDir::Files),
                 QStringList({"index-2.html", "index.html"}));
        QCOMPARE(danglingLinks(o.folder), QStringList());

        // Pictures browsers cannot show become JPEG, or PNG with alpha, at the chosen size.
        const auto picture = [&](const QString& part) {
            const QStringList found = QDir(site.filePath("pictures")).entryList({'*' + part + '*'});
            return found.isEmpty() ? QString() : site.filePath("pictures/" + found[0]);
        };
        QVERIFY(picture("scan").endsWith(".jpg"));
        QVERIFY(test::readFile(picture("scan")).startsWith("\xff\xd8"));
        QCOMPARE(QImage(picture("scan")).size(), QSize(300, 200));
        QVERIFY(picture("100%").endsWith(".jpg") && !QImage(picture("100%")).isNull());
        QVERIFY(picture("alpha").endsWith(".png"));
        QCOMPARE(qAlpha(QImage(picture("alpha")).pixel(0, 0)), 0);
        // GIFs and clips keep their bytes; originals are copied only when asked.
        QCOMPARE(test::readFile(picture("anim")), test::readFile(m_files["gif"]));
        QCOMPARE(test::readFile(picture("clip")), test::readFile(m_files["clip"]));
        QCOMPARE(QDir(site.filePath("originals")).entryList(QDir::Files).size(), 6);

        // The name that tried to climb out of the folder stays inside, encoded in the links.
        QVERIFY(picture("my #pic é 100%").contains("/pictures/"));
        const QString index = QString::fromUtf8(test::readFile(site.filePath("index.html")) +
                                                test::readFile(site.filePath("index-2.html")));
        QVERIFY(index.contains("my%20%23pic%20%C3%A9%20100%25"));
        QVERIFY(index.contains("<title>Mine &lt;&amp;&gt;</title>"));

        // Pages link both ways, and Escape leads to their index (the description shown as text
        // and the clip's download link: e2e/web_gallery.sh, in a browser).
        for (int n = 1; n <= 6; ++n) {
            const QString page =
                QString::fromUtf8(test::readFile(site.filePath(recordPageName(n))));
            QCOMPARE(page.contains("id=\"prev\""), n > 1);
            QCOMPARE(page.contains("id=\"next\""), n < 6);
            QVERIFY(page.contains(QStringLiteral("id=\"up\" href=\"../%1#r%2\"")
                                      .arg(indexPageName((n - 1) / 4 + 1))
                                      .arg(n)));
        }

        // A filter's records only: in the window (tst_browser) and in q32 (below).
        // A picture that cannot be read shows a placeholder; the rest of the site is written.
        const QString damaged = out.filePath("damaged.jpg");
        QVERIFY(test::writeFile(damaged, test::readFile(m_files["jpeg"]).left(200)));
        const QString mixed = test::MakeAlbum(
            out.filePath("mixed.mdb"),
            {{"damaged.jpg", "", "", damaged, "10 JPEG File Interchange Format"},
             {"photo.jpg", "", "", m_files["jpeg"], "10 JPEG File Interchange Format"}});
        auto mixedAlbum = AlbumDb::open(mixed, {true}, &status);
        o.folder = out.filePath("mixed");
        const GalleryResult m = WriteGallery(*mixedAlbum, {}, o, quiet);
        QCOMPARE(m.outcome, Outcome::Written);
        QCOMPARE(m.unreadable, 1);
        QVERIFY(test::readFile(o.folder + "/pages/1.html").contains("src=\"../missing.png\""));
        QCOMPARE(danglingLinks(o.folder), QStringList());
    }

    void cancelsAndFailuresLeaveTheFolderAsItWas() {
        QTemporaryDir out;
        AlbumStatus status;
        auto album = AlbumDb::open(m_album, {true}, &status);
        GalleryOptions o{.folder = out.filePath("site"), .perPage = 2};
        GalleryListener quiet;
        StopAfter stop(2);
        const auto write = [&](AlbumDb& a, GalleryListener& l) {
            return WriteGallery(a, {}, o, l);
        };
        // A first export cancelled leaves nothing at all.
        QCOMPARE(write(*album, stop).outcome, Outcome::Cancelled);
        QCOMPARE(entries(out.path()), QStringList());
        // An earlier gallery stays whole through a cancelled one, and is replaced by a good one.
        QCOMPARE(write(*album, quiet).outcome, Outcome::Written);
        const QByteArray before = test::readFile(o.folder + "/index-3.html");
        QVERIFY(!before.isEmpty());
        stop.done = 0;
        QCOMPARE(write(*album, stop).outcome, Outcome::Cancelled);
        QCOMPARE(test::readFile(o.folder + "/index-3.html"), before);
        QCOMPARE(danglingLinks(o.folder), QStringList());
        o.perPage = 100;
        QCOMPARE(write(*album, quiet).outcome, Outcome::Written);
        QVERIFY(!QFileInfo::exists(o.folder + "/index-3.html"));
        QCOMPARE(entries(out.path()), QStringList{"site"});

        // A folder of other files is never written into, nor a folder below a file.
        const QString mine = out.filePath("mine");
        QVERIFY(QDir().mkpath(mine) && test::writeFile(mine + "/letter.txt", {}));
        o.folder = mine;
        GalleryResult r = write(*album, quiet);
        QCOMPARE(r.outcome, Outcome::Failed);
        QVERIFY(r.problem.contains("other files"));
        QCOMPARE(entries(mine), QStringList{"letter.txt"});
        o.folder = mine + "/letter.txt/site";
        r = write(*album, quiet);
        QVERIFY(r.outcome == Outcome::Failed && !r.problem.isEmpty());

        // Writes that stop short, as on a full disk: a clear reason, and nothing left behind. The
        // limit is on files written, so the record's page, long with its description, hits it.
        const QString longPath = test::MakeAlbum(
            out.filePath("long.mdb"),
            {{"a.png", QString(60000, 'x'), "", m_files["alpha"], "75 Portable Network Graphics"}});
        auto longAlbum = AlbumDb::open(longPath, {true}, &status);
        QVERIFY(longAlbum);
        o.folder = out.filePath("full");
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{30000, limit.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        r = write(*longAlbum, quiet);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(r.outcome, Outcome::Failed);
        QVERIFY2(r.problem.contains("could not be written"), qPrintable(r.problem));
        QCOMPARE(entries(out.path()), QStringList({"long.mdb", "mine", "site"}));
    }

    void protectedAlbumAsksInTheWindowAndInQ32() {
        QTemporaryDir out;
        const QString path = out.filePath("secret.mdb");
        QVERIFY(QFile::copy(m_album, path));
        QVERIFY(ChangeAlbumPassword(path, {}, "pw").ok());
        AlbumStatus status;
        auto album = AlbumDb::open(path, {true, "pw"}, &status);
        QVERIFY(album);

        test::ScriptedPromptService prompts;
        GalleryWindow window(*album, {}, prompts);
        window.findChild<QLineEdit*>("Folder")->setText(out.filePath("site"));
        prompts.expectMessage("Export Web Gallery", MsgResult::No);
        QVERIFY(!window.startExport());
        QVERIFY(!QFileInfo::exists(out.filePath("site")));
        prompts.expectMessage("Export Web Gallery", MsgResult::Yes)
            .expectMessage("Export Web Gallery", MsgResult::Ok);
        window.findChild<QPushButton*>("Export")->click();
        QVERIFY(window.job());
        QSignalSpy finished(window.job(), &GalleryJob::finished);
        QVERIFY(finished.wait(60000));
        QVERIFY(prompts.verifyDone());
        QVERIFY(prompts.asked().last().text.contains("6 records"));
        QCOMPARE(danglingLinks(out.filePath("site")), QStringList());

        // q32 asks through the same question: refused unless --unprotected answers it.
        const auto q32 = [&](const QStringList& extra) {
            const test::Q32Result r =
                test::RunQ32(QStringList{"export", path, "--web", out.filePath("web"),
                                         "--password-stdin", "--keywords", "sea"} +
                                 extra,
                             "pw\n");
            return std::pair{r.exitCode, r.err};
        };
        auto [code, err] = q32({});
        QCOMPARE(code, 1);
        QVERIFY(err.contains("--unprotected"));
        QVERIFY(!QFileInfo::exists(out.filePath("web")));
        std::tie(code, err) = q32({"--unprotected", "--size", "100"});
        QCOMPARE(code, 0);
        QVERIFY2(err.contains("[3/3]") && err.contains("3 records"), qPrintable(err));
        QCOMPARE(QImage(out.filePath("web/pictures/1-photo.jpg")).size(), QSize(100, 75));
        std::tie(code, err) = q32({"--unprotected", "--size", "0"});
        QCOMPARE(code, 2);
    }
};

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
