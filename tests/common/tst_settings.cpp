// The settings store and the shared text helpers.

#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/Settings.h"
#include "common/Text.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <unistd.h>

using namespace q32;

using test::modeOf;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void fileOfAnEarlierVersionReadsTheSame() {
        test::TestEnv env;
        // Written by an earlier version, as its settings file holds the values.
        QVERIFY(QDir().mkpath(QFileInfo(env.configFile()).path()));
        QVERIFY(test::writeFile(env.configFile(), "[Main]\n"
                                                  "Left=120\nTop=-8\nWidth=1024\nHeight=700\n"
                                                  "SortBy=3.6\nKeywordsToDisplay=beach,sea\n"
                                                  "SimilarDistance=\n"
                                                  "[Files%20Parameters]\n"
                                                  "FilesPattern=\"*.jpg;*.png\"\n"
                                                  "[Settings]\n"
                                                  "DBFile1=&1 /albums/Family.mdb\nDBFile2=\n"
                                                  "[MSFlexGrid1]\nColumn0=95\nColumn2=210\n"
                                                  "[Options]\nThumbnailView=-1\nRecursive=0\n"
                                                  "SelImgBackColor=16744448\n"
                                                  "[ImageCaption]\nCaptionForeColor=255\n"
                                                  "[Hard%20Copy]\nPrintLeft=1.50\n"
                                                  "[Scanner]\nResolution=\n"));
        Settings s(Settings::defaultPath());
        QCOMPARE(s.mainWindowFrame(), QRect(120, -8, 1024, 700));
        QCOMPARE(s.get(key::SortBy), 4);
        // A hand-edited value with an unquoted comma.
        QCOMPARE(s.get(key::KeywordsToDisplay), QStringLiteral("beach, sea"));
        QCOMPARE(s.get(key::SimilarDistance), 12); // stored empty: its fallback
        QCOMPARE(s.get(key::FilesPattern), QStringLiteral("*.jpg;*.png"));
        QCOMPARE(s.recentAlbums(),
                 QStringList({"&1 /albums/Family.mdb", QString(), QString(), QString()}));
        // Columns never widened keep readable first-start widths.
        QCOMPARE(s.gridColumnWidths(7), (QList<int>{95, 0, 210, 200, 240, 170, 260}));
        QVERIFY(s.get(key::ThumbnailView));
        QVERIFY(!s.get(key::Recursive));
        QCOMPARE(s.get(key::SelImgBackColor), QColor(0, 128, 255));
        QCOMPARE(s.get(key::CaptionForeColor), QColor(255, 0, 0));
        QCOMPARE(s.get(key::CaptionBackColor), QColor(Qt::black));
        QCOMPARE(s.get(key::PrintLeft), 1.5);
        QCOMPARE(s.get(key::ScannerResolution), 0);
        QVERIFY(!s.stored(key::FileBrowserPlace));

        // What is written reads back the same in a new instance, in the text the file held.
        QVERIFY(s.set(key::Recursive, true));
        QVERIFY(s.set(key::PrintTop, QStringLiteral("0.50")));
        QVERIFY(s.set(key::FileBrowserPlace, QPoint(-5, 40)));
        QVERIFY(s.set(key::CaptionBackColor, QColor(1, 2, 3)));
        QVERIFY(s.setRecentAlbums({"&1 /a.mdb", "&2 /b.mdb", "&3 /c.mdb", "&4 /d.mdb"}));
        QVERIFY(s.clear(key::ThumbnailView));
        s.storeText("Main", "Long", QString(300, u'x'));
        Settings again(Settings::defaultPath());
        QCOMPARE(again.storedText("Options", "Recursive"), QStringLiteral("-1"));
        QCOMPARE(again.storedText("Hard Copy", "PrintTop"), QStringLiteral("0.50"));
        QCOMPARE(again.stored(key::FileBrowserPlace), std::optional<QPoint>(QPoint(-5, 40)));
        QCOMPARE(again.storedText("ImageCaption", "CaptionBackColor"), QStringLiteral("197121"));
        QCOMPARE(again.storedText("Settings", "DBFile4"), QStringLiteral("&4 /d.mdb"));
        QVERIFY(!again.get(key::ThumbnailView));
        // Long values are cut to what a 255-character buffer holds.
        QCOMPARE(again.storedText("Main", "Long").size(), 254);
    }

    void unwritableStoreReportsAndGoesOn() {
        test::TestEnv env;
        // A folder where the settings file should be cannot be replaced, even by root.
        const QString blocked = env.path(QStringLiteral("quillon32.ini"));
        QDir().mkpath(blocked);
        test::ScriptedPromptService prompts;
        prompts.expectMessage(QStringLiteral("ERROR"));
        Settings s(blocked, &prompts);
        QVERIFY(
            !s.storeText(QStringLiteral("Main"), QStringLiteral("Width"), QStringLiteral("800")));
        QCOMPARE(prompts.asked().at(0).text,
                 QStringLiteral("Error writing Width in the system registry."));
        QCOMPARE(prompts.asked().at(0).style, int(MsgIcon::Critical));
        QCOMPARE(prompts.pending(), 0);
    }

    void numberPatternsAndRounding() {
        // The leading number of a text, after blanks; none is 0.
        for (const auto& [text, value] : {std::pair{"", 0.0},
                                          {"640", 640.0},
                                          {"  -12", -12.0},
                                          {"12abc", 12.0},
                                          {"3.5.1", 3.5},
                                          {"abc", 0.0}})
            QVERIFY2(Val(text) == value, text);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(FormatThousands(0, en), QString());
        QCOMPARE(FormatThousands(999, en), QStringLiteral("999"));
        QCOMPARE(FormatThousands(12345, en), QStringLiteral("12,345"));
        QCOMPARE(FormatThousands(1234567, en), QStringLiteral("1,234,567"));
        QCOMPARE(FormatThousands(1234567, QLocale(QLocale::German)), QStringLiteral("1.234.567"));
        QCOMPARE(RoundHalfEven(12.5), 12LL);
        QCOMPARE(RoundHalfEven(13.5), 14LL);
        QCOMPARE(RoundHalfEven(-0.5), 0LL);
        QCOMPARE(FileNameOfPath(QStringLiteral("/home/ann/family.mdb")),
                 QStringLiteral("family.mdb"));
        QCOMPARE(FileNameOfPath(QStringLiteral("family.mdb")), QString());
        QCOMPARE(FileNameOfPath(QStringLiteral("/albums/")), QString());
    }

    void appDirIsSeededOnceAndPrivate() {
        test::TestEnv env;
        QVERIFY(QDir(env.appDir()).removeRecursively());
        const QString appDir = ComputeAppDir();
        QCOMPARE(appDir, env.appDir());
        QCOMPARE(modeOf(appDir), 0700);
        QVERIFY(CopyShippedFiles(appDir));
        const QString layout = appDir + QStringLiteral("Database (default).atb");
        QVERIFY(QFile::exists(layout));
        QCOMPARE(modeOf(layout), 0600);
        QCOMPARE(modeOf(appDir + QStringLiteral("help")), 0700);
        QCOMPARE(modeOf(appDir + QStringLiteral("help/index.html")), 0600);
        // A file the user changed is never overwritten by a later copy.
        QVERIFY(test::writeFile(layout, "mine"));
        QVERIFY(CopyShippedFiles(appDir));
        QCOMPARE(test::readFile(layout), QByteArray("mine"));

        // Folders and files an older version left open to everyone are tightened.
        ::chmod(QFile::encodeName(appDir).constData(), 0755);
        ::chmod(QFile::encodeName(layout).constData(), 0644);
        QVERIFY(KeepPrivate(appDir, true));
        QCOMPARE(modeOf(appDir), 0700);
        QCOMPARE(modeOf(layout), 0600);
    }

    void runtimeFolderIsPrivateAndCleared() {
        test::TestEnv env;
        const QString base = env.runtimeDir() + QStringLiteral("/quillon32");
        const QString own = base + QLatin1Char('/') + QString::number(::getpid());
        QCOMPARE(PrivateFiles::folder(), own);
        const QString handed = PrivateFiles::write(QStringLiteral("image.pic"), "picture");
        QCOMPARE(handed, own + QStringLiteral("/image.pic"));
        QCOMPARE(test::readFile(handed), QByteArray("picture"));
        PrivateFiles::remove(QStringLiteral("image.pic"));
        QVERIFY(!QFile::exists(handed));
        PrivateFiles::write(QStringLiteral("x"), "x");
        PrivateFiles::remove();
        QVERIFY(!QFileInfo::exists(own));

        // What a killed run left goes at the next start; a run still going keeps its files.
        const QString dead = base + QStringLiteral("/2147483646"),
                      alive = base + QLatin1Char('/') + QString::number(::getppid());
        QVERIFY(QDir().mkpath(dead) && QDir().mkpath(alive));
        QVERIFY(test::writeFile(dead + QStringLiteral("/image.pic"), "left over"));
        QVERIFY(test::writeFile(alive + QStringLiteral("/image.pic"), "in use"));
        PrivateFiles::removeLeftovers();
        QVERIFY(!QFileInfo::exists(dead));
        QVERIFY(QFile::exists(alive + QStringLiteral("/image.pic")));

        // No runtime folder, or one we cannot write: a private folder under the cache folder.
        const QString fallback = env.path(QStringLiteral("cache/quillon32"));
        // (/proc takes no folder, even from root.)
        qputenv("XDG_RUNTIME_DIR", "/proc");
        QCOMPARE(PrivateFiles::base(), fallback);
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(PrivateFiles::base(), fallback);
        QCOMPARE(modeOf(fallback), 0700);
        QCOMPARE(modeOf(PrivateFiles::write(QStringLiteral("dbimfile.txt"), "READY\n")), 0600);
        PrivateFiles::remove();
    }

    void filterStringsBecomeQtFilters() {
        FileDialogRequest r;
        r.filter = QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb");
        QCOMPARE(r.qtFilter(), QStringLiteral("Quillon 32 Database Files (*.mdb)"));
        r.filter =
            QStringLiteral("Wave Files (*.wav)|*.wav|MIDI Files (*.mid)|*.mid|All Files (*.*)|*.*");
        QCOMPARE(r.qtFilter(),
                 QStringLiteral("Wave Files (*.wav);;MIDI Files (*.mid);;All Files (*.*)"));
        r.filter = QStringLiteral("Pictures|*.jpg;*.png");
        QCOMPARE(r.qtFilter(), QStringLiteral("Pictures (*.jpg *.png)"));
        r.applyFlags(4100);
        QVERIFY(r.mustExist);
        QVERIFY(!r.confirmOverwrite);
        r.applyFlags(2050);
        QVERIFY(r.confirmOverwrite);
        const MessageRequest m =
            MessageRequest::fromStyle(QStringLiteral("?"), 292, QStringLiteral("T"));
        QCOMPARE(m.buttons, MsgButtons::YesNo);
        QCOMPARE(m.icon, MsgIcon::Question);
        QCOMPARE(m.defaultButton, 2);
        QCOMPARE(m.style(), 292);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
