// The About window and its machine summary.

#include "MainWindowRun.h"
#include "ModalWindows.h"
#include "TestEnv.h"
#include "quillon/Version.h"
#include "shell/AboutSummary.h"
#include "shell/ui/AboutWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace q32;

namespace {

struct Run : test::MainWindowRun {
    // Starts up; aboutAnswer runs on the About window when start-up shows it.
    bool startUp(const std::function<void(AboutWindow*)>& aboutAnswer) {
        bool shown = false;
        // Fires only inside the About window's own event loop: gone with its context after.
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            if (auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget())) {
                shown = true;
                aboutAnswer(about);
            }
        });
        main.startUp();
        return shown;
    }
};

// Closing the main window ends the event loop the next run's modal windows need.
void closeMainWindow(MainWindow& main) {
    main.close();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace

// Stands in for the user's web browser.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void openingScreenBoxRoundTrip() {
        test::TestEnv env;
        {
            Run run;
            QVERIFY(!run.startUp([](AboutWindow* about) { about->reject(); }));
            run.main.commandBar().tool("ID_OpeningScreen")->trigger();
            QVERIFY(run.state.options.OpeningScreen);
            closeMainWindow(run.main);
        }
        {
            // Shown at start-up, the box unticked; ticking it and OK turns the option off.
            Run run;
            bool boxWasClear = false;
            QVERIFY(run.startUp([&](AboutWindow* about) {
                auto* box = about->findChild<QCheckBox*>("Check3D1");
                boxWasClear = !box->isChecked();
                box->click();
                about->findChild<QPushButton*>("cmdOK")->click();
            }));
            QVERIFY(boxWasClear);
            QVERIFY(!run.state.options.OpeningScreen);
            QVERIFY(!run.main.commandBar().checked("ID_OpeningScreen"));
            closeMainWindow(run.main);
        }
        {
            Run run;
            QVERIFY(!run.startUp([](AboutWindow* about) { about->reject(); }));
            // From the Help menu, untouched box and OK leave the option as it is.
            test::whenShown<AboutWindow>([](AboutWindow* about) {
                QVERIFY(about->findChild<QCheckBox*>("Check3D1")->isChecked());
                about->findChild<QPushButton*>("cmdOK")->click();
            });
            run.main.runCommand("ID_About");
            QVERIFY(!run.main.commandBar().checked("ID_OpeningScreen"));
        }
    }

    void clickTogglesTheAnimation() {
        ProgramState state;
        test::ScriptedPromptService prompts;
        AboutWindow about(state.options, prompts);
        about.show();
        auto* picture = about.findChild<QLabel*>("Picture1");
        // Each tick shows the next of the three frames.
        const int shown = about.frameNumber();
        QTRY_VERIFY(about.frameNumber() != shown);
        QCOMPARE(picture->pixmap().toImage(),
                 about.findChild<QLabel*>(QString("Picture2_%1").arg(shown))->pixmap().toImage());
        QTest::mouseClick(picture, Qt::LeftButton);
        QVERIFY(!about.animating());
        const int stoppedAt = about.frameNumber();
        // Nothing is left that could show another frame.
        for (const QTimer* timer : about.findChildren<QTimer*>())
            QVERIFY(!timer->isActive());
        QTest::mouseClick(picture, Qt::LeftButton);
        QVERIFY(about.animating());
        QTRY_VERIFY(about.frameNumber() != stoppedAt);
    }

    void systemInfoAndWebPageStartOrSaySo() {
        test::TestEnv env;
        ProgramState state;
        test::ScriptedPromptService prompts;
        AboutWindow about(state.options, prompts);
        const QByteArray path = qgetenv("PATH");
        const QString bin = env.path("bin");
        QDir().mkpath(bin);
        qputenv("PATH", bin.toLocal8Bit());
        prompts.expectMessage(QString());
        about.findChild<QPushButton*>("Command1")->click();
        QCOMPARE(prompts.asked().last().text,
                 QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(prompts.asked().last().style, 0);

        // A stand-in for the desktop's program, which no test machine has.
        const QString marker = env.path("started");
        const QString program = bin + "/gnome-system-monitor";
        QVERIFY(test::writeFile(program, QString("#!/bin/sh\n: > '%1'\n").arg(marker).toUtf8()));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
        about.findChild<QPushButton*>("Command1")->click();
        QTRY_VERIFY(QFile::exists(marker));
        QCOMPARE(prompts.pending(), 0);

        // The web address opens in the browser, or says that none started.
        auto* web = about.findChild<QLabel*>("WebAddress");
        QVERIFY(web && web->text().contains(QUILLON_HOMEPAGE));
        BrowserStandIn browser;
        QDesktopServices::setUrlHandler("https", &browser, "open");
        emit web->linkActivated(QUILLON_HOMEPAGE);
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(QUILLON_HOMEPAGE)});
        prompts.expectMessage("ABOUT"); // no xdg-open on the PATH
        emit web->linkActivated(QUILLON_HOMEPAGE);
        qputenv("PATH", path);
        QCOMPARE(prompts.asked().last().text,
                 QStringLiteral("No web browser could be started for " QUILLON_HOMEPAGE "."));
    }

    void gradientAndSummaryAsPainted() {
        ProgramState state;
        test::ScriptedPromptService prompts;
        AboutWindow about(state.options, prompts);
        // 330 pixels: bands of 5 pixels, then of 6.
        const QImage image = about.grab().toImage();
        QCOMPARE(image.height(), 330);
        for (const auto& [y, blue] : {std::pair{4, 255}, {5, 251}, {11, 247}, {329, 35}})
            QCOMPARE(image.pixelColor(2, y), QColor(0, 0, blue));
        QVERIFY(about.findChild<QLabel*>("MachineSummary")->text().contains(" KB RAM"));
    }

    void machineSummaryLines() {
        const QString x86 = "processor\t: 0\nmodel name\t: Intel(R) Core(TM) i5-8250U CPU @ "
                            "1.60GHz\nflags\t: fpu\n\nprocessor\t: 1\nmodel name\t: Intel(R) "
                            "Core(TM) i5-8250U CPU @ 1.60GHz\n";
        QCOMPARE(ProcessorLine(x86),
                 QStringLiteral("Processor  =  Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  x  2"));
        QCOMPARE(ProcessorLine("flags : fpu\n"), QString());
        QCOMPARE(
            OperatingSystemLine("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", "6.1.0"),
            QStringLiteral("Operating System  =  Debian GNU/Linux 12 (bookworm)  (kernel 6.1.0)"));
        QCOMPARE(MemoryLine(8LL << 30), QStringLiteral("Physical Memory  =  8,388,608 KB RAM"));
        QCOMPARE(ColourDepthLine(24), QStringLiteral("Color Depth = 16,777,216 colors"));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
