// The Print Preview window on a machine whose CUPS cannot be reached (the test runs with
// CUPS_SERVER naming no server): the failure rows of the window with their exact titles, and
// the PDF file printed instead, with the picture where the boxes put it (where a drag puts it:
// e2e/print_preview.sh).

#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "common/Settings.h"
#include "output/print/PrintRun.h"
#include "output/print/ui/PrintPreviewSheet.h"
#include "output/print/ui/PrintPreviewWindow.h"
#include "printpages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace q32;
using namespace q32::test;

namespace {

struct Run {
    TestEnv env;
    ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};

    // Answers the two questions of a machine without a printer.
    Run& noPrinter(bool printToFile) {
        prompts.expectMessage("PRINT ERROR")
            .expectMessage("PRINT TO FILE", printToFile ? MsgResult::Yes : MsgResult::No);
        return *this;
    }
    // Opens the window for picture and runs work in it once it shows.
    bool show(const PrintPicture& picture, std::function<void(PrintPreviewWindow*)> work = {}) {
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<PrintPreviewWindow*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible())
                return;
            poll.stop();
            if (work)
                work(w);
            if (w->isVisible())
                w->reject();
        });
        poll.start();
        return ShowPrintPreview(picture, settings, prompts);
    }
};

QString Picture(const TestEnv& env, const QString& name = "quarters.png") {
    const QString path = env.path(name);
    FourQuarters(400, 300).save(path);
    return path;
}

void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

bool WaitForPrint(PrintPreviewWindow* w) {
    return QTest::qWaitFor([w] { return !w->run().running(); }, 30000);
}

} // namespace

class TestPrintWindow : public QObject {
    Q_OBJECT
private slots:
    void noPrinterSaysSoAndPrintsNothing() {
        Run run;
        run.noPrinter(false);
        const QString picture = Picture(run.env);
        QVERIFY(!run.show({picture, {}, {}}, [](PrintPreviewWindow*) {
            QFAIL("the window opened without a printer");
        }));
        const Asked& first = run.prompts.asked().at(0);
        QCOMPARE(first.text, "Unable to open default printer");
        QCOMPARE(first.style, int(MsgIcon::Critical));
        QVERIFY(QDir(run.env.root()).entryList({"*.pdf"}, QDir::Files).isEmpty());
    }

    void missingOrDamagedPicture() {
        const QByteArray damaged("\xff\xd8\xff\xe0 this is no picture", 24);
        for (const char* name : {"gone.jpg", "", "damaged.jpg"}) {
            Run run;
            const QString file = *name ? run.env.path(name) : QString();
            if (file.endsWith("damaged.jpg"))
                QVERIFY(writeFile(file, damaged));
            run.noPrinter(true).prompts.expectMessage(
                *name == 'd' ? "UNEXPECTED ERROR! (PrintFrm: Form_Load)" : "WARNING");
            QVERIFY(!run.show({file, {}, {}}));
            QCOMPARE(run.prompts.beeps(), *name == 'd' ? 1 : 0);
            if (*name == 'g') {
                QCOMPARE(run.prompts.asked().last().text, "No current image to print!");
                QCOMPARE(run.prompts.asked().last().style, int(MsgIcon::Exclamation));
            }
        }
    }

    void boxesDragAndPrintToPdf() {
        Run run;
        const QString picture = Picture(run.env);
        const QString pdf = run.env.path("printed.pdf");
        run.noPrinter(true)
            .prompts.expectMessage("UNEXPECTED ERROR!  (PrintFrm: ImagePreview)")
            .expectMessage("WARNING")
            .expectPrintSetup(false)
            .expectSaveFile("Print To PDF File", pdf);
        const bool printed = run.show({picture, {}, "Four quarters"}, [&](PrintPreviewWindow* w) {
            QCOMPARE(w->findChild<QLabel*>("Label10")->text(), "PDF file");
            QCOMPARE(w->findChild<QLabel*>("DPI")->text(), "600");
            QCOMPARE(w->findChild<QLabel*>("Label13")->text(), "Portrait");
            QCOMPARE(w->box(PrintBox::Width)->text(), "400");
            QWidget* onSheet = w->findChild<QWidget*>("LEAD1");
            QVERIFY(onSheet && onSheet->isVisible() && onSheet->width() > 1);

            // Typed boxes: "-5" gives "0"; Enter stays in the box; a height the sheet cannot
            // show is an error (the sheet keeps the picture as it was); a number beyond 32
            // bits is refused digit by digit.
            Type(w->box(PrintBox::Left), "-5");
            QCOMPARE(w->box(PrintBox::Left)->text(), "0");
            QTest::keyClick(w->box(PrintBox::Left), Qt::Key_Return);
            QVERIFY(w->isVisible());
            Type(w->box(PrintBox::Height), "99999999999");
            QCOMPARE(w->box(PrintBox::Height)->text(), "999999999");
            QCOMPARE(run.prompts.asked().last().text, "Overflow");
            QVERIFY(onSheet->height() < 16777215);
            QCOMPARE(run.prompts.beeps(), 3);
            Type(w->box(PrintBox::Height), "300");
            // A letter is refused with a message; the box keeps its number.
            Type(w->box(PrintBox::Left), "12x");
            QCOMPARE(w->box(PrintBox::Left)->text(), "12");
            QCOMPARE(run.prompts.asked().last().text,
                     QStringLiteral("Left takes a number of dots: \"12x\" is not one."));

            // "Print Settings" asks, and a cancelled dialog changes nothing.
            QTest::mouseClick(w->findChild<QPushButton*>("SSCommand3"), Qt::LeftButton);

            // Preserve aspect ratio, then the place and size to print at.
            QTest::mouseClick(w->findChild<QCheckBox*>("Check2"), Qt::LeftButton);
            Type(w->box(PrintBox::Left), "600");
            Type(w->box(PrintBox::Top), "300");
            Type(w->box(PrintBox::Width), "1200");
            QVERIFY(qAbs(w->box(PrintBox::Height)->text().toDouble() - 900) < 0.001);
            QTest::mouseClick(w->findChild<QPushButton*>("SSCommand2"), Qt::LeftButton);
            QVERIFY(WaitForPrint(w));
        });
        QVERIFY(printed);
        QCOMPARE(run.settings.storedText("Hard Copy", "PrintLeft"), "600");
        QCOMPARE(run.settings.storedText("Hard Copy", "PreserveRatio"), "1");
        QVERIFY(!run.settings.storedText("PrintFrm", "Left").isEmpty());

        // On paper: margins of half an inch at the side and a quarter at the top, then one
        // inch and half an inch more, two inches by an inch and a half.
        constexpr int kRender = 100;
        const QImage page = RenderPage(pdf, kRender, run.env.root());
        QString why;
        QVERIFY2(PictureAt(page, QRectF(1.5 * kRender, 0.75 * kRender, 2 * kRender, 1.5 * kRender),
                           &why),
                 qPrintable(why));
    }

    void failedAndStoppedPrints() {
        {
            // A file that cannot be written: the message with its title, and the window closes.
            Run run;
            run.noPrinter(true)
                .prompts.expectSaveFile("Print To PDF File", run.env.path("no/such/folder/out.pdf"))
                .expectMessage("UNEXPECTED ERROR!  (PrintFrm: SSCommand2_Click");
            QVERIFY(!run.show({Picture(run.env), {}, {}}, [](PrintPreviewWindow* w) {
                QTest::mouseClick(w->findChild<QPushButton*>("SSCommand2"), Qt::LeftButton);
                QVERIFY(WaitForPrint(w));
                QVERIFY(!w->isVisible());
            }));
            QCOMPARE(run.prompts.beeps(), 1);
        }
        // Stopped at once: no file, and the window stays for another try.
        Run run;
        const QString pdf = run.env.path("stopped.pdf");
        run.noPrinter(true).prompts.expectMessage("WARNING").expectSaveFile("Print To PDF File",
                                                                            pdf);
        const QImage large = FourQuarters(6000, 4000);
        QVERIFY(!run.show({{}, large, {}}, [](PrintPreviewWindow* w) {
            // No size, no page: it says so and stays.
            const QString width = w->box(PrintBox::Width)->text();
            Type(w->box(PrintBox::Width), "0");
            QTest::mouseClick(w->findChild<QPushButton*>("SSCommand2"), Qt::LeftButton);
            QVERIFY(w->isVisible() && !w->run().running());
            Type(w->box(PrintBox::Width), width);
            QTest::mouseClick(w->findChild<QPushButton*>("SSCommand2"), Qt::LeftButton);
            QCOMPARE(w->findChild<QPushButton*>("SSCommand1")->text(), "&Stop");
            QTest::mouseClick(w->findChild<QPushButton*>("SSCommand1"), Qt::LeftButton);
            QVERIFY(WaitForPrint(w));
            QVERIFY(w->isVisible());
            QCOMPARE(w->windowTitle(), "Print Preview");
        }));
        QVERIFY(!QFile::exists(pdf));
    }
};

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
