// The shipped help pages and the help window.

#include "MainWindowRun.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "album/ui/PasswordWindow.h"
#include "shell/ToolLayout.h"
#include "shell/ui/HelpService.h"
#include "shell/ui/HelpWindow.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace q32;

namespace {

QString sourceDir() {
    return QString::fromLocal8Bit(qgetenv("QUILLON_SOURCE_DIR"));
}
QString helpDir() {
    return sourceDir() + "/data/share/help";
}

QString textOf(const QString& path) {
    return QString::fromUtf8(test::readFile(path));
}

// Whether the page a link leads to is there and holds the part it names after its '#', if any.
bool resolves(const QString& page, const QString& link) {
    const QString anchor = link.section('#', 1);
    return QFileInfo::exists(page) &&
           (anchor.isEmpty() || textOf(page).contains("id=\"" + anchor + "\""));
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void everyLinkAndPictureResolves() {
        const QDir dir(helpDir());
        const QStringList pages = dir.entryList({"*.html"}, QDir::Files);
        QVERIFY(pages.contains("index.html"));
        static const QRegularExpression link(QStringLiteral("(href|src)=\"([^\"]*)\""));
        static const QRegularExpression title(QStringLiteral("<title>[^<]+</title>"));
        QSet<QString> reached{"index.html"}, usedImages;
        QStringList queue{"index.html"};
        while (!queue.isEmpty()) {
            const QString page = queue.takeFirst();
            const QString html = textOf(dir.filePath(page));
            QVERIFY2(title.match(html).hasMatch(), qPrintable(page + " has no title"));
            for (auto it = link.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(2);
                QVERIFY2(!target.contains("://"), qPrintable(page + " leaves the help: " + target));
                const QString file = target.section('#', 0, 0);
                const QString path = file.isEmpty() ? page : file;
                QVERIFY2(resolves(dir.filePath(path), target),
                         qPrintable(page + " links to a missing " + target));
                if (path.endsWith(".html") && !reached.contains(path)) {
                    reached.insert(path);
                    queue << path;
                }
                if (path.startsWith("images/"))
                    usedImages.insert(path);
            }
        }
        for (const QString& page : pages)
            QVERIFY2(reached.contains(page), qPrintable(page + " is reached from no page"));
        // Every screenshot is shown somewhere, and small.
        for (const QFileInfo& image : QDir(dir.filePath("images")).entryInfoList({"*.png"})) {
            QVERIFY2(usedImages.contains("images/" + image.fileName()),
                     qPrintable(image.fileName() + " is shown on no page"));
            QVERIFY2(image.size() < 150 * 1024, qPrintable(image.fileName() + " is too large"));
        }
    }

    void everyWindowHasAPage() {
        // Every dialog and main window of the program sets the page F1 shows for it.
        static const QRegularExpression window(QStringLiteral(
            "class\\s+(\\w+)\\s*(final)?\\s*:\\s*public\\s+Q(Dialog|MainWindow)\\b"));
        static const QRegularExpression page(
            QStringLiteral("setProperty\\(\"helpPage\",\\s*QStringLiteral\\(\"([^\"]+)\"\\)"));
        int windows = 0;
        for (QDirIterator it(sourceDir() + "/src", {"*.h"}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString header = it.next();
            for (auto m = window.globalMatch(textOf(header)); m.hasNext();) {
                const QString name = m.next().captured(1);
                const QString source = header.chopped(2) + ".cpp";
                const auto named = page.match(textOf(source));
                QVERIFY2(named.hasMatch(), qPrintable(name + " names no help page"));
                const QString target = named.captured(1);
                QVERIFY2(resolves(helpDir() + "/" + target.section('#', 0, 0), target),
                         qPrintable(name + " names the missing page " + target));
                ++windows;
            }
        }
        QVERIFY(windows >= 5);
    }

    void everyCommandIsDescribed() {
        HelpIndex index(helpDir());
        QString all;
        for (const HelpIndex::Page& p : index.pages())
            all += p.text + '\n';
        for (const Tool& t : ToolLayout::factory().tools) {
            if (t.kind == ToolKind::Menu || t.id.startsWith("ID_DBFile"))
                continue;
            QString caption = t.caption;
            caption.remove('&');
            if (caption.endsWith("..."))
                caption.chop(3);
            QVERIFY2(all.contains(caption, Qt::CaseInsensitive),
                     qPrintable(t.id + " (" + caption + ") is described on no page"));
        }
    }

    void f1ShowsThePageOfTheWindowInFront() {
        test::TestEnv env;
        test::MainWindowRun run;
        MainWindow& main = run.main;
        main.show();
        auto* help = main.findChild<HelpService*>();
        QVERIFY(help);

        // Over a modal window the help goes above it, where it takes clicks. (F1 on the main
        // window and the viewer, and Help > Contents, are met by e2e_about_and_help.)
        QString helpParent;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            QTest::keyClick(modal->findChild<QLineEdit*>("Text1"), Qt::Key_F1);
            helpParent = help->window()->parentWidget()->objectName();
            QCOMPARE(help->window()->text()->source().fileName(), QStringLiteral("password.html"));
            QCOMPARE(help->window()->text()->source().fragment(), QStringLiteral("window"));
            modal->close();
        });
        PasswordWindow::ask("/albums/family.mdb", &main);
        QCOMPARE(helpParent, QStringLiteral("Password"));
    }

    void helpWindowNavigatesAndSearches() {
        HelpIndex index(helpDir());
        test::ScriptedPromptService prompts;
        HelpWindow window(index, prompts);
        auto* back = window.findChild<QToolButton*>("HelpBack");
        auto* forward = window.findChild<QToolButton*>("HelpForward");
        window.showPage("index.html");
        QVERIFY(!back->isEnabled());
        window.showPage("maintenance.html");
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Compacting and repairing an album - Quillon 32 Help"));

        window.findChild<QLineEdit*>("HelpSearchText")->setText("backup compact");
        window.findChild<QToolButton*>("HelpSearch")->click();
        QCOMPARE(window.text()->source().scheme(), QStringLiteral("search"));
        const QString results = window.text()->toPlainText();
        QVERIFY2(results.indexOf("Compacting and repairing an album") <
                     results.indexOf("The File menu"),
                 qPrintable(results));
        QVERIFY(!results.contains("Using the help"));

        back->click();
        QCOMPARE(window.text()->source().fileName(), QStringLiteral("maintenance.html"));
        QVERIFY(forward->isEnabled());
        forward->click();
        QCOMPARE(window.text()->source().scheme(), QStringLiteral("search"));
        window.findChild<QToolButton*>("HelpContents")->click();
        QCOMPARE(window.text()->source().fileName(), QStringLiteral("index.html"));

        window.search("zebra quokka");
        QVERIFY(window.text()->toPlainText().contains("No page of the help holds all of these"));
    }

    void neverSilent() {
        test::TestEnv env;
        QWidget main;
        test::ScriptedPromptService prompts;
        HelpService help(prompts, &main, env.path("no-help-here"));
        prompts.expectMessage("HELP");
        help.showContents();
        QVERIFY(prompts.asked().last().text.contains(env.path("no-help-here")));
        QVERIFY(!help.window());
        // No web browser to be found: the help says so and stays in its window.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", env.path("empty").toLocal8Bit());
        HelpIndex index(helpDir());
        HelpWindow window(index, prompts);
        window.showPage("about.html");
        prompts.expectMessage("HELP");
        window.findChild<QToolButton*>("HelpOpenInBrowser")->click();
        qputenv("PATH", path);
        QVERIFY(prompts.asked().last().text.contains("about.html"));
        QVERIFY(prompts.verifyDone());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
