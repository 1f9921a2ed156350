// The Print Preview arithmetic: paper and scale, the boxes' changes and spin steps, the aspect
// ratio's partner rewrites, dropping on the sheet, and the settings the window keeps.

#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "output/print/PrintLayout.h"

#include <QSizeF>
#include <QTest>

using namespace q32;

namespace {

PrinterFacts Facts(int paper, int orientation = kOrientationPortrait, int dpi = 600) {
    PrinterFacts f;
    f.deviceName = QStringLiteral("PDF");
    f.resolution = dpi;
    f.paper = paper;
    f.orientation = orientation;
    f.copies = 2;
    return f;
}

struct Window {
    test::TestEnv env;
    ProgramState state;
    test::ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    PrintLayout layout{settings, prompts, state};
    int redraws = 0;
    QList<PrintBox> rewrites;

    Window() {
        layout.sheetChanged = [this] { ++redraws; };
        layout.boxRewritten = [this](PrintBox b) { rewrites << b; };
    }
    void open(QSize picture = {640, 480}, const PrinterFacts& facts = Facts(kPaperLetter)) {
        QVERIFY(layout.takePrinterFacts(facts));
        layout.load(picture);
        rewrites.clear();
        redraws = 0;
    }
    QString stored(const char* name) const {
        return settings.RegGetString(QStringLiteral("Hard Copy"), QLatin1String(name));
    }
    QString text(PrintBox b) const { return layout.text(b); }
};

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT
private slots:
    // The window's sizes and the short side are checked by paperByKindAndOrientation.
    void letterAt600DpiPortrait() {
        Window w;
        w.open();
        QVERIFY(qAbs(w.layout.dotScale() - 26.47f) < 0.01f);
        const QRectF onSheet = w.layout.sheetRect();
        QVERIFY2(qAbs(onSheet.width() - 24.18) < 0.05 && qAbs(onSheet.height() - 18.13) < 0.05,
                 qPrintable(QStringLiteral("%1 x %2").arg(onSheet.width()).arg(onSheet.height())));
        QCOMPARE(w.layout.paperText(), QStringLiteral("7.5\" x 10.5\""));
        QCOMPARE(w.layout.copiesText(), QStringLiteral("2"));
        QCOMPARE(w.layout.panelSize(), QSize(177, 225));
        QCOMPARE(w.layout.pageRect(), QRectF(0, 0, 640, 480));
    }

    void paperByKindAndOrientation_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QStringList>("answers"); // width, length prompts
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("length");
        QTest::addColumn<float>("shortSideDots");
        const QStringList none;
        QTest::newRow("letter landscape")
            << kPaperLetter << kOrientationLandscape << none << 10.5f << 7.5f << 4500.0f;
        QTest::newRow("legal portrait")
            << kPaperLegal << kOrientationPortrait << none << 7.5f << 13.5f << 4500.0f;
        QTest::newRow("legal landscape")
            << kPaperLegal << kOrientationLandscape << none << 13.5f << 7.5f << 4500.0f;
        QTest::newRow("a4 as reported")
            << kPaperOther << kOrientationPortrait << none << 7.99f << 11.41f << 4794.0f;
        QTest::newRow("none: typed") << kPaperNotReported << kOrientationPortrait
                                     << QStringList{"8", "12"} << 8.0f << 12.0f << 4800.0f;
        QTest::newRow("none: empty answers") << kPaperNotReported << kOrientationLandscape
                                             << QStringList{"", ""} << 7.5f << 10.5f << 6300.0f;
    }
    void paperByKindAndOrientation() {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        QFETCH(QStringList, answers);
        QFETCH(float, width);
        QFETCH(float, length);
        QFETCH(float, shortSideDots);
        Window w;
        PrinterFacts facts = Facts(paper, orientation);
        facts.printableInches = QSizeF(7.99, 11.41);
        if (!answers.isEmpty())
            w.prompts.expectInput(QStringLiteral("PAPER WIDTH"), answers[0])
                .expectInput(QStringLiteral("PAPER LENGTH"), answers[1]);
        w.open({640, 480}, facts);
        QCOMPARE(w.layout.paperWidthInches(), width);
        QCOMPARE(w.layout.paperLengthInches(), length);
        QVERIFY(qAbs(w.layout.printableShortSideDots() - shortSideDots) < 0.5f);
        QCOMPARE(w.state.StatusWord, int16_t(0));
        const bool landscape = orientation != kOrientationPortrait;
        QCOMPARE(w.layout.orientationText(),
                 landscape ? QStringLiteral("Landscape") : QStringLiteral("Portrait"));
        QCOMPARE(w.layout.windowSize(), landscape ? QSize(533, 380) : QSize(480, 380));
        QCOMPARE(w.layout.sheetSize(), landscape ? QSize(220, 170) : QSize(170, 220));
        if (!answers.isEmpty()) // the paper prompts carry their defaults
            QCOMPARE(w.prompts.asked().at(0).defaultText, QStringLiteral("8.5"));
    }

    void resolutionAskedOnlyWhenNotReported() {
        {
            Window w;
            w.state.StatusWord = 9;
            w.prompts.expectInput(QStringLiteral("PRINTER RESOLUTION"), QString());
            QVERIFY(!w.layout.takePrinterFacts(Facts(kPaperLetter, 1, 0)));
            QCOMPARE(w.state.StatusWord, int16_t(1));
            QCOMPARE(w.prompts.asked().at(0).defaultText, QStringLiteral("600"));
        }
        {
            Window w;
            w.state.StatusWord = 9;
            w.prompts.expectInput(QStringLiteral("PRINTER RESOLUTION"), QStringLiteral("300"));
            QVERIFY(w.layout.takePrinterFacts(Facts(kPaperLetter, 1, 0)));
            QCOMPARE(w.state.StatusWord, int16_t(0));
            QCOMPARE(w.layout.resolutionText(), QStringLiteral("300"));
            QCOMPARE(w.layout.printableShortSideDots(), 2250.0f);
        }
        Window w; // a reported resolution leaves the status word alone
        w.state.StatusWord = 9;
        QVERIFY(w.layout.takePrinterFacts(Facts(kPaperLetter, 1, 1200)));
        QCOMPARE(w.state.StatusWord, int16_t(9));
        QCOMPARE(w.layout.resolutionText(), QStringLiteral("1200"));
    }

    void firstOpeningAndStoredSettings() {
        Window w;
        w.open({640, 480});
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("0"));
        QCOMPARE(w.text(PrintBox::Top), QStringLiteral("0"));
        QCOMPARE(w.text(PrintBox::Increment), QStringLiteral("0"));
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("640"));
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("480"));
        QVERIFY(!w.layout.preserveRatio());
        QCOMPARE(w.layout.savedWindowPosition(), QPoint(0, 0));
        // Opening writes nothing, and with increment 0 the spins change nothing.
        QVERIFY(w.stored("PrintLeft").isEmpty() && w.stored("SpinIncrement").isEmpty());
        w.layout.spinUp(PrintBox::Width);
        w.layout.spinDown(PrintBox::Height);
        w.layout.spinUp(PrintBox::Left);
        QCOMPARE(w.layout.pageRect(), QRectF(0, 0, 640, 480));

        auto put = [&w](const char* name, const char* value) {
            w.settings.RegPutString(QStringLiteral("Hard Copy"), QLatin1String(name),
                                    QLatin1String(value));
        };
        put("PrintLeft", "120.5");
        put("PrintTop", "33abc");
        put("PreserveRatio", "1");
        put("SpinIncrement", "2.5");
        w.layout.saveWindowPosition({40, 60});
        // The next opening reads them back.
        PrintLayout second(w.settings, w.prompts, w.state);
        QVERIFY(second.takePrinterFacts(Facts(kPaperLetter)));
        second.load({300, 200});
        QCOMPARE(second.text(PrintBox::Left), QStringLiteral("120.5"));
        QCOMPARE(second.text(PrintBox::Top), QStringLiteral("33"));
        QVERIFY(second.preserveRatio());
        QCOMPARE(second.spinIncrement(), 2); // ties go to the even neighbour
        QCOMPARE(second.text(PrintBox::Increment), QStringLiteral("2"));
        QCOMPARE(second.savedWindowPosition(), QPoint(40, 60));
        put("SpinIncrement", "3.5");
        put("PreserveRatio", "0");
        PrintLayout third(w.settings, w.prompts, w.state);
        QVERIFY(third.takePrinterFacts(Facts(kPaperLetter)));
        third.load({300, 200});
        QCOMPARE(third.spinIncrement(), 4);
        QVERIFY(!third.preserveRatio());
    }

    void leftAndTopClampAndStore() {
        Window w;
        w.open();
        w.layout.edit(PrintBox::Left, QStringLiteral("-5"));
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("0"));
        QCOMPARE(w.stored("PrintLeft"), QStringLiteral("0"));
        QVERIFY(w.rewrites.contains(PrintBox::Left)); // the window's box shows "0" too
        w.layout.edit(PrintBox::Top, QStringLiteral("150"));
        QCOMPARE(w.stored("PrintTop"), QStringLiteral("150"));
        QCOMPARE(w.layout.pageRect().topLeft(), QPointF(0, 150));
        // An emptied box changes nothing and stores nothing.
        w.layout.edit(PrintBox::Top, QString());
        QCOMPARE(w.stored("PrintTop"), QStringLiteral("150"));
        w.layout.edit(PrintBox::Increment, QStringLiteral("100000"));
        QCOMPARE(w.layout.spinIncrement(), 32767);
        QCOMPARE(w.stored("SpinIncrement"), QStringLiteral("100000"));
        QVERIFY(w.layout.acceptsDigit(QStringLiteral("2147483647")));
        QVERIFY(!w.layout.acceptsDigit(QStringLiteral("2147483648")));
        QVERIFY(w.layout.acceptsDigit(QStringLiteral("-2147483648")));
        QVERIFY(!w.layout.acceptsDigit(QStringLiteral("99999999999999999999999")));
    }

    void spinSteps() {
        Window w;
        w.open();
        w.layout.edit(PrintBox::Increment, QStringLiteral("1"));
        // Width down from 1 puts the old text back and beeps; from 0 or empty it gives "0".
        w.layout.edit(PrintBox::Width, QStringLiteral("1"));
        w.layout.spinDown(PrintBox::Width);
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("1"));
        QCOMPARE(w.prompts.beeps(), 1);
        w.layout.edit(PrintBox::Height, QStringLiteral("0"));
        w.layout.spinDown(PrintBox::Height);
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("0"));
        w.layout.edit(PrintBox::Height, QString());
        w.layout.spinDown(PrintBox::Height);
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("0"));
        QCOMPARE(w.prompts.beeps(), 1);
        // Top up on an empty box does nothing; Left up on an empty box gives the increment.
        w.layout.edit(PrintBox::Increment, QStringLiteral("25"));
        w.layout.edit(PrintBox::Top, QString());
        w.layout.spinUp(PrintBox::Top);
        QCOMPARE(w.text(PrintBox::Top), QString());
        w.layout.edit(PrintBox::Left, QString());
        w.layout.spinUp(PrintBox::Left);
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("25"));
        QCOMPARE(w.stored("PrintLeft"), QStringLiteral("25"));
        // Left down past zero is clamped by the box itself; at zero it stays.
        w.layout.edit(PrintBox::Left, QStringLiteral("10"));
        w.layout.spinDown(PrintBox::Left);
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("0"));
        QCOMPARE(w.stored("PrintLeft"), QStringLiteral("0"));
        w.layout.spinDown(PrintBox::Left);
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("0"));
        w.layout.edit(PrintBox::Top, QStringLiteral("5"));
        w.layout.spinUp(PrintBox::Top);
        QCOMPARE(w.text(PrintBox::Top), QStringLiteral("30"));
        QCOMPARE(w.stored("PrintTop"), QStringLiteral("30"));
        // Size spins never store: Width and Height start from the picture each time.
        w.layout.edit(PrintBox::Width, QStringLiteral("640"));
        w.layout.spinUp(PrintBox::Width);
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("665"));
        QVERIFY(w.stored("PrintWidth").isEmpty());
    }

    void aspectRatioPartners() {
        Window w;
        w.open({640, 480});
        w.layout.setPreserveRatio(true);
        QCOMPARE(w.stored("PreserveRatio"), QStringLiteral("1"));
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("480")); // ticking does not resize
        // The ratio is held in single precision.
        w.layout.edit(PrintBox::Increment, QStringLiteral("320"));
        w.layout.spinDown(PrintBox::Width);
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("320"));
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("239.999992847443"));
        w.layout.spinUp(PrintBox::Height);
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("746.666679382324"));

        // Typing settles at once: the partner is written once, and the typed box keeps what
        // was typed.
        w.rewrites.clear();
        w.layout.edit(PrintBox::Width, QStringLiteral("641"));
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("641"));
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("480.749985672534"));
        QCOMPARE(w.rewrites, (QList<PrintBox>{PrintBox::Width, PrintBox::Height}));
        w.layout.edit(PrintBox::Height, QStringLiteral("100"));
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("133.333337306976"));
        QCOMPARE(w.text(PrintBox::Height), QStringLiteral("100"));

        // A partner too large for the sheet to show is an error; the sheet keeps what it showed.
        Window tall;
        tall.open({1, 10000});
        tall.layout.setPreserveRatio(true);
        tall.redraws = 0;
        tall.prompts.expectMessage("UNEXPECTED ERROR!  (PrintFrm: ImagePreview)");
        tall.layout.edit(PrintBox::Width, QStringLiteral("2000000000"));
        QCOMPARE(tall.prompts.asked().last().text, QStringLiteral("Overflow"));
        QCOMPARE(tall.redraws, 0);

        w.layout.setPreserveRatio(false);
        QCOMPARE(w.stored("PreserveRatio"), QStringLiteral("0"));
        w.layout.edit(PrintBox::Height, QStringLiteral("50"));
        QCOMPARE(w.text(PrintBox::Width), QStringLiteral("133.333337306976"));
    }

    void droppingOnTheSheet() {
        Window w;
        w.open(); // 640 x 480 on Letter at 600 dpi, 26.47 dots a sheet pixel
        // The printable width, and the length of the sheet (not the printable 6300).
        const QSizeF page = w.layout.pageDots();
        QVERIFY2(qAbs(page.width() - 4500) < 0.01 && qAbs(page.height() - 5823.53) < 0.01,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        // Whole dots: 10 and 20 sheet pixels of 26.47 dots each.
        w.layout.dropAt(QPointF(10, 20));
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("265"));
        QCOMPARE(w.stored("PrintTop"), QStringLiteral("529"));
        QVERIFY(w.redraws >= 2);
        const QRectF onSheet = w.layout.sheetRect();
        QVERIFY(qAbs(onSheet.left() - 10) < 0.05 && qAbs(onSheet.top() - 20) < 0.05);
        QCOMPARE(w.layout.pageRect().topLeft(), QPointF(265, 529));
        // Dropped at the sheet's far corner, the picture ends at the page's edges.
        w.layout.edit(PrintBox::Height, QStringLiteral("1000"));
        w.layout.dropAt(QPointF(169.6, 219.6));
        QCOMPARE(w.layout.pageRect(), QRectF(3860, 4823, 640, 1000));
        // A picture wider than the page starts at its left edge.
        w.layout.edit(PrintBox::Width, QStringLiteral("5000"));
        w.layout.dropAt(QPointF(80, 0));
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("0"));
    }

    void boxesRefuseWhatTheyCannotUse() {
        Window w;
        w.open();
        w.layout.edit(PrintBox::Left, QStringLiteral("100"));
        w.rewrites.clear();
        // Letters: a message, and the box keeps the value in force.
        w.prompts.expectMessage(QStringLiteral("WARNING"));
        w.layout.edit(PrintBox::Left, QStringLiteral("100a"));
        QCOMPARE(w.prompts.asked().last().text,
                 QStringLiteral("Left takes a number of dots: \"100a\" is not one."));
        QCOMPARE(w.prompts.asked().last().style, int(MsgIcon::Exclamation));
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("100"));
        QCOMPARE(w.stored("PrintLeft"), QStringLiteral("100"));
        QCOMPARE(w.rewrites, QList<PrintBox>{PrintBox::Left}); // the window shows "100" again
        w.prompts.expectMessage(QStringLiteral("WARNING"));
        w.layout.edit(PrintBox::Increment, QStringLiteral("1,5"));
        QCOMPARE(w.layout.spinIncrement(), 0);
        w.layout.edit(PrintBox::Width, QStringLiteral("640.5")); // a number all the same

        // A Left or Top past the page's edge is refused; spinning stops at the edge.
        w.prompts.expectMessage(QStringLiteral("WARNING"));
        w.layout.edit(PrintBox::Left, QStringLiteral("3860"));
        QCOMPARE(w.prompts.asked().last().text,
                 QStringLiteral("Left can be at most 3859 dots: any further and the picture "
                                "would leave the page."));
        QCOMPARE(w.text(PrintBox::Left), QStringLiteral("100"));
        w.layout.edit(PrintBox::Left, QStringLiteral("3859"));
        w.layout.edit(PrintBox::Top, QStringLiteral("5320"));
        w.layout.edit(PrintBox::Increment, QStringLiteral("25"));
        w.layout.spinUp(PrintBox::Left);
        w.layout.spinUp(PrintBox::Top);
        QCOMPARE(w.layout.pageRect(), QRectF(3859, 5343, 640.5, 480));
        QCOMPARE(w.stored("PrintTop"), QStringLiteral("5343"));
        QVERIFY(w.prompts.verifyDone());
    }
};

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
