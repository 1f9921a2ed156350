// Directory list and collect step of "Search" / "Scan Drive", on real trees in a temporary folder.

#include "TestFiles.h"
#include "album/scan/DirectoryScan.h"
#include "album/scan/DirectoryScanJob.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace q32;

namespace {

void makeTree(const QString& root, const QStringList& dirs, const QStringList& files) {
    for (const QString& d : dirs)
        QVERIFY(QDir(root).mkpath(d));
    for (const QString& f : files)
        QVERIFY(test::writeFile(root + QLatin1Char('/') + f, {}));
}

QStringList prefixed(const QString& root, const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out.append(root + QLatin1Char('/') + n);
    return out;
}

QStringList allPaths(const DirectoryTree& dirs) {
    QStringList out;
    for (qint64 i = 0; i < dirs.count(); ++i)
        out.append(dirs.path(i));
    return out;
}

// Records what the scan reports; can turn recursion off and stop after a number of directories.
struct Recorder : ScanListener {
    bool recurse = true;
    qint64 stopAfter = -1;
    QStringList recorded;
    qint64 lastFiles = 0;
    bool recursive() const override { return recurse; }
    void directoryRecorded(const QString& path) override { recorded.append(path); }
    void progress(const ScanProgress& p) override { lastFiles = p.files; }
    bool stopRequested() const override {
        return stopAfter >= 0 && (recorded.size() >= stopAfter || lastFiles >= stopAfter);
    }
};

} // namespace

class TestDirectoryScan : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_tmp;
    QString root;

private slots:
    void init() {
        m_tmp.emplace(); // a tree of its own for each test
        root = m_tmp->path();
    }

    void preOrderSkipsDotNamesAndLinks() {
        makeTree(root, {"b/x/deep", "b/y", "A/z", "c", ".hidden/inner", "b/.git"}, {"c/file.jpg"});
        // A link cycle and a link to a sibling: neither is followed nor recorded.
        QVERIFY(QFile::link(root, root + "/b/x/deep/loop"));
        QVERIFY(QFile::link(root + "/b", root + "/link"));

        Recorder rec;
        DirectoryTree dirs(&rec);
        QString folder = root;
        dirs.scan(folder);
        const QStringList expected =
            prefixed(root, {"A", "b", "c", "A/z", "b/x", "b/y", "b/x/deep"});
        QCOMPARE(allPaths(dirs), expected);
        QCOMPARE(rec.recorded, expected);
        QVERIFY(S_ISDIR(dirs.mode(0)));
        QVERIFY(!dirs.stopped());

        // Recursion off: only the folder's own children; a second scan empties the list first.
        rec.recurse = false;
        dirs.scan(folder);
        QCOMPARE(allPaths(dirs), prefixed(root, {"A", "b", "c"}));

        folder = root + "/c/";
        dirs.scan(folder);
        QCOMPARE(dirs.count(), 0);
    }

    // Names are matched as the file system holds them, without decoding plain ASCII ones: the
    // answer must be the same as for the decoded name.
    void patternsMatchNamesAsStored_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("expected");
        const auto row = [](const char* tag, const QString& pattern, const QByteArray& name,
                            bool expected) { QTest::newRow(tag) << pattern << name << expected; };
        row("suffix, other case", "*.jpg", "A.JPG", true);
        row("suffix, mixed case", "*.JpG", "a.jPg", true);
        row("suffix alone is no name", "*.jpg", ".jpg", false);
        row("shorter than suffix", "*.jpeg", "jpeg", false);
        row("suffix in the middle", "*.jpg", "a.jpg.txt", false);
        row("second suffix", "*.tif;*.png", "b.PNG", true);
        row("bracket is not a letter", "*.{", "a.[", false);
        row("at sign is not a letter", "*.`", "a.@", false);
        row("underscore", "*._", "a._", true);
        row("question mark", "?b.png", "AB.png", true);
        row("question mark, one too many", "?b.png", "xAB.png", false);
        row("star prefix", "photo*", "Photo 1.bmp", true);
        row("star prefix, no", "photo*", "a photo", false);
        row("every file", "*.*", "README", true);
        row("ASCII pattern, accented name", "*.jpg", "\xc3\xa9t\xc3\xa9.JPG", true);
        row("accented pattern, ASCII name", "*.\u00e9t\u00e9", "x.ete", false);
        row("accented pattern and name", "*.\u00c9T\u00c9", "x.\xc3\xa9t\xc3\xa9", true);
        row("Kelvin sign folds to k", "*.jpk", "x.jp\xe2\x84\xaa", true);
        row("not UTF-8", "*.jpg", "bad\xff.jpg", true);
        row("not UTF-8, other suffix", "*.png", "bad\xff.jpg", false);
        const QString several = "*.jpg; *.TIF;?b.png;photo*";
        row("several, spaced", several, "scan.tif", true);
        row("several, third", several, "AB.png", true);
        row("several, none", several, "abc.png", false);
        row("longer suffix", several, "a.jpeg", false);
        row("suffix without dot", several, "jpg", false);
        row("no type chosen", "*.___", "x.jpg", false);
    }
    void patternsMatchNamesAsStored() {
        QFETCH(QString, pattern);
        QFETCH(QByteArray, name);
        QFETCH(bool, expected);
        const FilePattern p(pattern);
        QCOMPARE(p.matchesBytes(name), expected);
        QCOMPARE(p.matches(QFile::decodeName(name)), expected);
    }

    // Collected names are sorted without decoding plain ASCII ones; the order must be Qt's:
    // case-insensitive first, then case-sensitive.
    void collectedNamesSortAsQtCompares() {
        QStringList names = {"a.jpg",      "A.jpg",      "a_.jpg", "ab.jpg", "B.jpg",  "b.jpg",
                             "_x.jpg",     "[x.jpg",     "{x.jpg", "Zz.jpg", "zZ.jpg", "z.jpg",
                             "\u00e9.jpg", "\u00c9.jpg", "e.jpg",  "f.jpg",  "a.JPG",  "1.jpg"};
        makeTree(root, {"sub"}, names + prefixed("sub", names));
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
        QCOMPARE(MatchingFiles(root, FilePattern("*.jpg")), names);
        const SearchResult r = RunSearch({root, "*.jpg", {}, true});
        QCOMPARE(r.files, prefixed(root, names) + prefixed(root + "/sub", names));
    }

    // Past the kept number of left-out files the rest are only counted, links followed: "b"
    // fills the list, "c" is counted alone.
    void leftOutFilesBeyondTheKeptNumber() {
        QStringList many;
        for (int i = 0; i < kLeftOutKept - 1; ++i)
            many.append(QString::asprintf("a/%05d.txt", i));
        makeTree(root, {"a", "b", "c"},
                 many + QStringList{"b/x.txt", "b/y.txt", "b/.hidden", "c/x.txt", "c/.hidden"});
        for (const QString& folder : {root + "/b/", root + "/c/"}) {
            QVERIFY(QFile::link(folder + "x.txt", folder + "link.txt"));
            QVERIFY(QFile::link(folder + "missing", folder + "dangling.txt"));
        }
        const SearchResult r = RunSearch({root, "*.jpg", {}, true});
        QCOMPARE(r.leftOut.size(), kLeftOutKept);
        QCOMPARE(r.leftOut.last().path, root + "/b/.hidden");
        QCOMPARE(r.leftOutCount, kLeftOutKept - 1 + 4 + 3);
    }

    void collectListsFolderThenEachDirectory() {
        makeTree(root, {"sub/deeper", "sub/dir.jpg", ".skip"},
                 {"b.tif", "a.JPG", "c.png", ".d.jpg", "notes.txt", "sub/e.jpg", "sub/readme.txt",
                  "sub/deeper/f.Tif", ".skip/g.jpg"});
        QVERIFY(QFile::link(root + "/a.JPG", root + "/link.jpg"));
        QVERIFY(QFile::link(root + "/missing.jpg", root + "/dangling.jpg"));

        SearchRequest request{root, QStringLiteral("*.jpg;*.tif"), QStringLiteral("*.png"), true};
        SearchResult r = RunSearch(request);
        QCOMPARE(r.files,
                 prefixed(root, {"a.JPG", "b.tif", "link.jpg", "sub/e.jpg", "sub/deeper/f.Tif"}));
        QCOMPARE(r.directories, 3);
        QCOMPARE(r.lastFolder, root + "/sub/dir.jpg/");
        QCOMPARE(r.title, QStringLiteral("3 directories and 5 file(s)"));
        QVERIFY(!r.listFull && !r.stopped);
        // What the visited folders held besides, and why it was left out (a dangling link is no
        // file, a hidden folder is not visited).
        QStringList leftOut;
        for (const LeftOutFile& f : r.leftOut)
            leftOut << f.path.mid(root.size() + 1) + ": " + LeftOutReasonText(f.reason, r.pattern);
        QCOMPARE(leftOut,
                 QStringList({".d.jpg: a hidden file", "c.png: not in the pattern *.jpg;*.tif",
                              "notes.txt: not a picture or clip kind the program reads",
                              "sub/readme.txt: not a picture or clip kind the program reads"}));
        QCOMPARE(r.leftOutCount, 4);

        // Recursion off: only the folder's files, its children still counted; empty pattern box
        // falls back to the default pattern.
        request.recursive = false;
        request.pattern = QStringLiteral("  ");
        r = RunSearch(request);
        QCOMPARE(r.files, prefixed(root, {"c.png"}));
        QCOMPARE(r.title, QStringLiteral("1 directories and 1 file(s)"));
        QCOMPARE(r.lastFolder, root + "/");

        // Started below the scan root, as "Scan Drive" does: the current folder's files come
        // first and again when its own record comes up.
        DirectoryTree dirs;
        QString from = root;
        dirs.scan(from);
        const CollectResult c =
            CollectFiles(root + "/sub", FilePattern(QStringLiteral("*.jpg")), true, dirs);
        QCOMPARE(c.files, prefixed(root, {"sub/e.jpg", "sub/e.jpg"}));

        // The list limit keeps the entries that fitted and marks the title.
        request.recursive = true;
        request.pattern = QStringLiteral("*.jpg;*.tif");
        request.listLimit = 3;
        r = RunSearch(request);
        QVERIFY(r.listFull);
        QCOMPARE(r.files, prefixed(root, {"a.JPG", "b.tif", "link.jpg"}));
        QCOMPARE(r.title, QStringLiteral("3 directories and 3 file(s) [3 displayed]"));
    }

    void joiningAndDriveRoot() {
        QCOMPARE(JoinFolderFile("/", "a.jpg"), QStringLiteral("/a.jpg"));
        QCOMPARE(JoinFolderFile("/pics", "a.jpg"), QStringLiteral("/pics/a.jpg"));
        QCOMPARE(JoinFolderFile("/pics/", "a.jpg"), QStringLiteral("/pics/a.jpg"));

        QProcess df;
        df.start("df", {"--output=target", root});
        if (!df.waitForFinished() || df.exitCode() != 0)
            QSKIP("df is not available");
        const QStringList lines = QString::fromLocal8Bit(df.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QString mount = lines.last().trimmed();
        if (!mount.endsWith('/'))
            mount += '/';
        QCOMPARE(DriveRootOf(root), mount);
    }

    void stopRequestEndsTheRun() {
        QStringList folders, many;
        for (int i = 0; i < 600; ++i) {
            folders << QString::asprintf("d%03d/e", i % 200); // 200 of them
            many << QString::asprintf("f%03d.jpg", i);
        }
        makeTree(root, folders, many);

        Recorder rec;
        rec.stopAfter = 5;
        DirectoryTree dirs(&rec);
        QString folder = root;
        dirs.scan(folder);
        QVERIFY(dirs.stopped());
        QCOMPARE(dirs.count(), 5);

        // The collect step stops within a folder of many files too.
        Recorder collectRec;
        collectRec.stopAfter = 300;
        const CollectResult c =
            CollectFiles(root, FilePattern("*.jpg"), true, DirectoryTree(), &collectRec);
        QVERIFY(c.stopped);
        QVERIFY(c.files.size() >= 300 && c.files.size() < 600);

        // On a worker thread: a full run matches the synchronous one; a stop ends it early.
        SearchRequest request{root, "*.jpg", {}, true};
        DirectoryScanJob job(request);
        QSignalSpy finished(&job, &DirectoryScanJob::finished);
        QSignalSpy recorded(&job, &DirectoryScanJob::directoryRecorded);
        job.start();
        QVERIFY(finished.wait(10000));
        QVERIFY(!recorded.isEmpty());
        QCOMPARE(job.result().files, RunSearch(request).files);
        QCOMPARE(job.result().directories, 400);

        // The stop is asked from the worker at its first folder: asked from here, it could come
        // after a whole run on a busy machine.
        connect(
            &job, &DirectoryScanJob::directoryRecorded, &job, [&job] { job.requestStop(); },
            Qt::DirectConnection);
        job.start();
        QVERIFY(finished.wait(10000));
        QVERIFY(job.result().stopped);
        QVERIFY(job.result().directories < 400);
    }
};

QTEST_GUILESS_MAIN(TestDirectoryScan)
#include "tst_directoryscan.moc"
