// The main window's start-up, shutdown and command table.

#include "MainWindowRun.h"
#include "TestEnv.h"
#include "album/filebrowser/ui/FileBrowser.h"
#include "shell/AlbumBrowser.h"
#include "shell/records/ToolStates.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ThumbnailPane.h"
#include "shell/ui/ToolbarCustomizeDialog.h"

#include <QAction>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace q32;

Q_DECLARE_METATYPE(q32::ToolContext)

namespace {

struct Run : test::MainWindowRun {
    // The factory recent entries name no album: start-up opens none and asks nothing.
    Run() {
        main.startUp();
        QCOMPARE(prompts.asked().size(), 0);
    }
};

QStringList menuEntries(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return out;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
    std::optional<test::TestEnv> m_env; // each test its own program folder

private slots:
    void init() { m_env.emplace(); }

    void menusAndButtonBarInFactoryOrder() {
        Run run;
        QStringList bar;
        for (QAction* a : run.main.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList(
                          {"&File", "&Depository", "&Filters", "&SlideShow", "&Options", "&Help"}));
        QStringList buttons, factory = ToolLayout::factory().toolBar;
        for (QAction* a : run.main.commandBar().toolBar()->actions())
            if (auto* w =
                    qobject_cast<QToolButton*>(run.main.commandBar().toolBar()->widgetForAction(a)))
                buttons << w->defaultAction()->objectName();
        factory.removeAll("-");
        QCOMPARE(buttons, factory);
        // The filter tool's arrow pops up the Filters menu.
        auto* filterButton = run.main.findChild<QToolButton*>("ID_DropDownFilters_Button");
        QVERIFY(filterButton);
        QCOMPARE(filterButton->menu(), run.main.commandBar().menu("ID_mnuFilters"));
        QCOMPARE(filterButton->popupMode(), QToolButton::MenuButtonPopup);
    }

    void clickDuringARunningCommandIsIgnored() {
        Run run;
        int slowRuns = 0;
        int quickRuns = 0;
        auto& d = run.main.dispatcher();
        d.add("ID_Slow", [&] {
            ++slowRuns;
            // While the command waits, events run and another click arrives.
            QEventLoop loop;
            QTimer::singleShot(10, [&] {
                QVERIFY(!d.run("ID_Quick"));
                QVERIFY(!d.run("ID_Slow"));
                loop.quit();
            });
            loop.exec();
        });
        d.add("ID_Quick", [&] { ++quickRuns; });
        QVERIFY(d.run("ID_Slow"));
        QCOMPARE(slowRuns, 1);
        QCOMPARE(quickRuns, 0);
        QVERIFY(d.run("ID_Quick"));
        QCOMPARE(quickRuns, 1);
        QVERIFY(d.run("ID_NoSuchTool")); // does nothing, but is not busy
    }

    void firstStartThenRestart() {
        QDir().mkpath(m_env->path("user"));
        qputenv("HOME", m_env->path("user").toLocal8Bit());
        {
            Run run;
            // No album: the grid says how to make or open one, the recent entries are off.
            QVERIFY(!run.main.browser().album());
            auto* hint = run.main.findChild<QLabel*>("NoAlbumHint");
            QVERIFY(hint && hint->isVisibleTo(&run.main));
            QVERIFY(hint->text().contains("File > Create New Image Depository"));
            QVERIFY(hint->text().contains("File > Open Existing Image Depository"));
            for (int n = 1; n <= 4; ++n)
                QVERIFY(
                    !run.main.commandBar().tool(QStringLiteral("ID_DBFile%1").arg(n))->isEnabled());
            // A first start has readable columns.
            for (int c : {0, 2, 3, 4, 5, 6})
                QVERIFY(run.main.grid()->columnWidth(c) >= 90);
            // The file browser starts at home until a folder is chosen, not at "/".
            QCOMPARE(run.main.fileBrowser()->session().folder(), m_env->path("user") + "/");

            // (The window's place and size are kept by e2e_window_geometry.)
            for (int c = 0; c < 7; ++c)
                run.main.grid()->setColumnWidth(c, 50 + 10 * c);
            // The option tools set their flags; the pairs exclude each other.
            for (const char* id : {"ID_CompressStorage", "ID_ViewNormal", "ID_AutoSound",
                                   "ID_RandomWipes", "ID_DateTakenFromPhoto"})
                run.main.commandBar().tool(id)->trigger();
            QVERIFY(!run.main.commandBar().checked("ID_NativeStorage"));
            QVERIFY(!run.main.commandBar().checked("ID_ViewFit"));
            run.main.commandBar().setCaption("ID_DBFile2", "&2 /albums/trip.mdb");
            run.main.close();
        }
        Run again;
        QCOMPARE(again.main.grid()->columnWidth(0), 50);
        QCOMPARE(again.main.grid()->columnWidth(1), 0); // always hidden
        QCOMPARE(again.main.grid()->columnWidth(6), 110);
        QVERIFY(again.state.options.CompressStorage && again.state.options.RandomWipes &&
                again.state.options.DateTakenFromPhoto && again.state.options.AutoSound);
        QVERIFY(!again.state.options.ViewFit && !again.state.options.RandomImages);
        QVERIFY(again.main.commandBar().checked("ID_CompressStorage"));
        QVERIFY(!again.main.commandBar().checked("ID_NativeStorage"));
        QCOMPARE(again.main.commandBar().caption("ID_DBFile2"),
                 QStringLiteral("&2 /albums/trip.mdb"));
        QVERIFY(again.main.commandBar().tool("ID_DBFile2")->isEnabled());
        QVERIFY(!again.main.commandBar().tool("ID_DBFile1")->isEnabled());
        QCOMPARE(again.main.fileBrowser()->session().folder(), m_env->path("user") + "/");
        qunsetenv("HOME");
    }

    // "quillon32 PICTURE" on a first start asks straight for a new album's file.
    void firstStartWithAPicture() {
        QImage(8, 8, QImage::Format_RGB32).save(m_env->path("photo.png"));
        ProgramState state;
        test::ScriptedPromptService prompts;
        Settings settings{Settings::defaultPath(), &prompts};
        MainWindow main{state, settings, prompts, {m_env->path("photo.png")}};
        prompts.expectSaveFile("Select A File Name For the Depository", "");
        main.startUp();
        QTRY_COMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.asked().size(), 1);
        QVERIFY(!main.browser().album());
    }

    void damagedLayoutFileFallsBackToFactory() {
        QVERIFY(test::writeFile(m_env->appDir() + "Database.atb",
                                "{\"format\": \"quillon32-toolbar-layout\", \"tools\": [{\"id\": "
                                "\"ID_Exit\"}], \"toolbar\": [\"ID_Gone\"]"));
        Run run;
        QCOMPARE(run.main.commandBar().caption("ID_Exit"), QStringLiteral("E&xit"));
        QCOMPARE(run.main.findChildren<QAction*>("ID_AddImages").size(), 1);
    }

    void layoutSavedByAnOlderVersionGetsTheNewTools() {
        // An older layout: without the print tools, with a renamed caption and a shorter bar.
        ToolLayout old = ToolLayout::factory();
        for (const char* id : {"ID_PrintImage", "ID_PrintContactSheet", "ID_DateTakenFromPhoto"}) {
            old.tools.removeIf([id](const Tool& t) { return t.id == QLatin1String(id); });
            for (QStringList& entries : old.menus)
                entries.removeAll(QLatin1String(id));
        }
        old.find("ID_Exit")->caption = "&Quit";
        old.toolBar = {"ID_OpenAlbum", "ID_Exit"};
        QVERIFY(old.save(m_env->appDir() + "Database.atb"));
        Run run;
        const ToolLayout factory = ToolLayout::factory();
        for (const char* menu : {"ID_mnuFile", "ID_mnuDatabase", "ID_mnuOptions"})
            QCOMPARE(menuEntries(run.main.commandBar().menu(menu)), factory.menus.value(menu));
        QVERIFY(!run.main.commandBar().checked("ID_DateTakenFromPhoto"));
        // What the user chose stays.
        QCOMPARE(run.main.commandBar().caption("ID_Exit"), QStringLiteral("&Quit"));
        QCOMPARE(run.main.commandBar().snapshot().toolBar,
                 QStringList({"ID_OpenAlbum", "ID_Exit"}));
    }

    void defaultToolbarRestoresFactoryEntries() {
        Run run;
        run.main.commandBar().setCaption("ID_DBFile1", "&1 /albums/family.mdb");
        run.settings.storeText("Settings", "DBFile1", "&1 /albums/family.mdb");
        run.main.commandBar().tool("ID_CompressStorage")->trigger();
        // From the menu: its own action is replaced while it still delivers the click.
        QPointer<QAction> entry = run.main.commandBar().tool("ID_DefaultToolbar");
        entry->trigger();
        QTRY_VERIFY(!entry);
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(run.settings.storedText("Settings", QStringLiteral("DBFile%1").arg(n)),
                     QStringLiteral("&%1 Database File %1").arg(n));
        QCOMPARE(run.main.commandBar().caption("ID_DBFile1"), QStringLiteral("&1 Database File 1"));
        QVERIFY(!run.state.options.CompressStorage);
        // The new bar has the usual keys, which the layout file does not hold (that it works is
        // e2e_default_toolbar's).
        auto keyOf = [&run](const char* id) { return run.main.commandBar().tool(id)->shortcut(); };
        QCOMPARE(keyOf("ID_OpenAlbum"), QKeySequence(QKeySequence::Open));
        QCOMPARE(keyOf("ID_StartSlideshow"), QKeySequence(Qt::Key_F5));
    }

    // Every factory tool is one action with its caption and tip; one without its window is off
    // and says so, but the saved layout keeps its own tip.
    void everyToolOnceAndThoseWithoutTheirWindowOff() {
        Run run;
        QStringList unavailable;
        for (const Tool& t : ToolLayout::factory().tools) {
            const auto found = run.main.findChildren<QAction*>(t.id);
            QVERIFY2(found.size() == 1, qPrintable(t.id));
            if (t.kind == ToolKind::Menu)
                continue;
            QAction* a = found[0];
            QCOMPARE(a->text(), t.caption);
            if (!t.tip.isEmpty())
                QVERIFY2(a->toolTip() == t.tip || a->toolTip().startsWith(t.tip + " ("),
                         qPrintable(t.id + ": " + a->toolTip()));
            if (run.main.dispatcher().has(t.id))
                continue;
            QVERIFY(!a->isEnabled());
            QVERIFY2(a->toolTip().contains("not available yet"), qPrintable(t.id));
            unavailable << t.id;
        }
        run.main.close();
        const auto saved = ToolLayout::load(m_env->appDir() + "Database.atb");
        QVERIFY(saved);
        for (const QString& id : unavailable)
            QVERIFY(!saved->find(id)->tip.contains("not available yet"));
    }

    void customizerRenamesThroughThePromptService() {
        Run run;
        ToolbarCustomizeDialog dialog(run.main.commandBar().snapshot(), run.prompts);
        auto* list = dialog.findChild<QListWidget*>();
        list->setCurrentRow(0); // the first tool on the bar: ID_CreateNewAlbum
        run.prompts.expectInput("Customize Toolbar", "&Brand New")
            .expectInput("Customize Toolbar", "");
        dialog.renameCurrent();
        QCOMPARE(run.prompts.asked().last().defaultText,
                 QStringLiteral("Create &New Image Depository"));
        dialog.renameCurrent(); // cancelled: the caption stays
        dialog.moveCurrent(1);
        const ToolLayout out = dialog.layout();
        QCOMPARE(out.find("ID_CreateNewAlbum")->caption, QStringLiteral("&Brand New"));
        QCOMPARE(out.toolBar.mid(0, 2), QStringList({"ID_OpenAlbum", "ID_CreateNewAlbum"}));
    }

    // The grid takes what the window gains; the thumbnails stand exactly where it stood.
    void resizingStretchesTheStatusLineAndTheGrid() {
        Run run;
        run.main.show();
        const QWidget* grid = run.main.grid();
        const QWidget* preview = run.main.findChild<QWidget*>("Picture3");
        QSize gridBefore;
        for (const QSize size : {QSize(1000, 700), QSize(1600, 1000)}) {
            run.main.resize(size);
            QTRY_COMPARE(run.main.size(), size);
            QCOMPARE(run.main.findChild<QWidget*>("Label2")->width(),
                     run.main.centralWidget()->width());
            QVERIFY(preview->geometry().right() < grid->x());
            if (gridBefore.isValid())
                QCOMPARE(grid->size() - gridBefore, QSize(600, 300));
            gridBefore = grid->size();
        }
        const QRect gridPlace = grid->geometry();
        run.main.thumbnails().setOn(true);
        QTRY_COMPARE(run.main.thumbnails().view()->geometry(), gridPlace);
    }

    // Tools follow the album and its record (the tips in the window are tst_browser's).
    void toolStatesFollowTheAlbum_data() {
        QTest::addColumn<ToolContext>("context");
        QTest::addColumn<QStringList>("on");
        QTest::addColumn<QStringList>("offWithReason");
        const QStringList record = {"ID_AttachSound",     "ID_ExportImage", "ID_DeleteImage",
                                    "ID_ImageProcessing", "ID_PrintImage",  "ID_PrintContactSheet"};
        const QStringList album = {"ID_AddImages", "ID_ExportWebGallery", "ID_DropDownFilters"};
        QTest::newRow("no album") << ToolContext{} << QStringList{"ID_AddImages"}
                                  << QStringList{"ID_PrintImage", "ID_ExportWebGallery",
                                                 "ID_FindSimilar"};
        QTest::newRow("a picture")
            << ToolContext{true, 5, 5, true, false}
            << record + album + QStringList{"ID_FindSimilar"} << QStringList{};
        // The way out of a filter that matched nothing stays open.
        QTest::newRow("empty filter") << ToolContext{true, 5, 0, false, false} << album
                                      << QStringList{"ID_PrintImage", "ID_FindSimilar"};
        QTest::newRow("a clip") << ToolContext{true, 1, 1, true, true} << record + album
                                << QStringList{"ID_FindSimilar"};
    }
    void toolStatesFollowTheAlbum() {
        QFETCH(ToolContext, context);
        QFETCH(QStringList, on);
        QFETCH(QStringList, offWithReason);
        const char* const sortTools[] = {"ID_DropDownFilters"};
        QHash<QString, ToolState> states;
        for (const ToolState& t : ComputeToolStates(context, sortTools))
            states.insert(t.id, t);
        for (const QString& id : on)
            QVERIFY2(states.value(id).enabled, qPrintable(id));
        for (const QString& id : offWithReason) {
            QVERIFY2(!states.value(id).enabled, qPrintable(id));
            QVERIFY2(states.value(id).whyOff.startsWith(" ("), qPrintable(id));
        }
        for (const ToolState& t : std::as_const(states))
            if (!on.contains(t.id))
                QVERIFY2(!t.enabled, qPrintable(t.id));
    }

    void imageBackColourIsStoredAsANumber() {
        Run run;
        run.prompts.expectColour(QColor(0x10, 0x20, 0x30)).expectColour(std::nullopt);
        run.main.runCommand("ID_ImageBackColor");
        QCOMPARE(run.settings.storedText("Options", "SelImgBackColor"),
                 QString::number(0x10 + 0x20 * 256 + 0x30 * 65536));
        // Cancelling keeps the colour.
        run.main.runCommand("ID_ImageBackColor");
        QCOMPARE(run.main.selImgBackColor(), QColor(0x10, 0x20, 0x30));
        QCOMPARE(run.prompts.pending(), 0);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
