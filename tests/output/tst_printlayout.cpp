// The Print Preview arithmetic: paper and scale, the boxes' changes and spin steps, the aspect
// ratio's partner rewrites, dropping on the sheet, and the settings the window keeps.

#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "common/Settings.h"
#include "output/print/PrintLayout.h"

#include <QSizeF>
#include <QTest>

using namespace q32;

namespace {

PrinterFacts Facts(int paper, int orientation = kOrientationPortrait, int dpi = 600) {
    return {.deviceName = "PDF",
            .resolution = dpi,
            .paper = paper,
            .orientation = orientation,
            .copies = 2};
}

struct Window {
    test::TestEnv env;
    test::ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    PrintLayout layout{settings, prompts};
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
        return settings.storedText("Hard Copy", QLatin1String(name));
    }
    QString text(PrintBox b) const { return layout.text(b); }
};

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT
private slots:
    void paperByKindAndOrientation_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QStringList>("answers"); // width, length prompts
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("length");
        QTest::addColumn<float>("shortSideDots");
        const QStringList none;
        QTest::newRow("letter portrait")
            << kPaperLetter << kOrientationPortrait << none << 7.5f << 10.5f << 4500.0f;
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
            w.prompts.expectInput("PAPER WIDTH", answers[0])
                .expectInput("PAPER LENGTH", answers[1]);
        w.open({640, 480}, facts);
        QCOMPARE(w.layout.paperWidthInches(), width);
        QCOMPARE(w.layout.paperLengthInches(), length);
        QVERIFY(qAbs(w.layout.printableShortSideDots() - shortSideDots) < 0.5f);
        const bool landscape = orientation != kOrientationPortrait;
        QCOMPARE(w.layout.orientationText(), landscape ? "Landscape" : "Portrait");
        QCOMPARE(w.layout.sheetSize(), landscape ? QSize(220, 170) : QSize(170, 220));
        if (!answers.isEmpty()) // the paper prompts carry their defaults
            QCOMPARE(w.prompts.asked().at(0).defaultText, "8.5");
    }

    void resolutionAskedOnlyWhenNotReported() {
        for (const char* answer : {"", "300"}) {
            Window w;
            w.prompts.expectInput("PRINTER RESOLUTION", answer);
            QCOMPARE(w.layout.takePrinterFacts(Facts(kPaperLetter, 1, 0)), *answer != 0);
            QCOMPARE(w.prompts.asked().at(0).defaultText, "600");
            if (*answer)
                QCOMPARE(w.layout.printableShortSideDots(), 2250.0f);
        }
        Window w; // a reported resolution is taken without asking
        QVERIFY(w.layout.takePrinterFacts(Facts(kPaperLetter, 1, 1200)));
        QCOMPARE(w.layout.resolutionText(), "1200");
    }

    void storedSettingsAreReadBack() {
        Window w;
        w.open({640, 480});
        // Opening writes nothing, and with increment 0 the spins change nothing.
        QVERIFY(w.stored("PrintLeft").isEmpty() && w.stored("SpinIncrement").isEmpty());
        w.layout.spinUp(PrintBox::Width);
        w.layout.spinDown(PrintBox::Height);
        w.layout.spinUp(PrintBox::Left);
        QCOMPARE(w.layout.pageRect(), QRectF(0, 0, 640, 480));
        w.layout.saveWindowPosition({40, 60});
        for (const bool ratio : {true, false}) {
            for (const auto& [name, value] : {std::pair{"PrintLeft", "120.5"},
                                              {"PrintTop", "33abc"},
                                              {"PreserveRatio", ratio ? "1" : "0"},
                                              {"SpinIncrement", ratio ? "2.5" : "3.5"}})
                w.settings.storeText("Hard Copy", name, value);
            PrintLayout next(w.settings, w.prompts);
            QVERIFY(next.takePrinterFacts(Facts(kPaperLetter)));
            next.load({300, 200});
            QCOMPARE(next.text(PrintBox::Left), "120.5");
            QCOMPARE(next.text(PrintBox::Top), "33");
            QCOMPARE(next.preserveRatio(), ratio);
            QCOMPARE(next.text(PrintBox::Increment), ratio ? "2" : "4"); // ties to the even one
            QCOMPARE(next.savedWindowPosition(), QPoint(40, 60));
        }
    }

    void spinSteps() {
        Window w;
        w.open();
        const struct {
            const char* increment;
            PrintBox box;
            const char* typed; // null: the box as it is
            bool up;
            const char* shown;
        } steps[] = {
            {"1", PrintBox::Width, "1", false, "1"}, // the old text back, and a beep
            {"1", PrintBox::Height, "0", false, "0"},    {"1", PrintBox::Height, "", false, "0"},
            {"25", PrintBox::Top, "", true, ""},      // nothing to add to
            {"25", PrintBox::Left, "", true, "25"},   // unlike Top
            {"25", PrintBox::Left, "10", false, "0"}, // clamped by the box itself
            {"25", PrintBox::Left, nullptr, false, "0"}, {"25", PrintBox::Top, "5", true, "30"},
            {"25", PrintBox::Width, "640", true, "665"}};
        for (const auto& s : steps) {
            w.layout.edit(PrintBox::Increment, s.increment);
            if (s.typed)
                w.layout.edit(s.box, s.typed);
            s.up ? w.layout.spinUp(s.box) : w.layout.spinDown(s.box);
            QCOMPARE(w.text(s.box), s.shown);
            if (s.box == PrintBox::Left)
                QCOMPARE(w.stored("PrintLeft"), s.shown);
        }
        QCOMPARE(w.prompts.beeps(), 1);
        QCOMPARE(w.stored("PrintTop"), "30");
        QVERIFY(w.stored("PrintWidth").isEmpty()); // sizes start from the picture each time
    }

    void aspectRatioPartners() {
        Window w;
        w.open({640, 480});
        w.layout.setPreserveRatio(true);
        QCOMPARE(w.stored("PreserveRatio"), "1");
        QCOMPARE(w.text(PrintBox::Height), "480"); // ticking does not resize
        // The ratio is held in single precision.
        w.layout.edit(PrintBox::Increment, "320");
        w.layout.spinDown(PrintBox::Width);
        QCOMPARE(w.text(PrintBox::Width), "320");
        QCOMPARE(w.text(PrintBox::Height), "239.999992847443");
        w.layout.spinUp(PrintBox::Height);
        QCOMPARE(w.text(PrintBox::Width), "746.666679382324");

        // Typing settles at once: the partner is written once, and the typed box keeps what
        // was typed.
        w.rewrites.clear();
        w.layout.edit(PrintBox::Width, "641");
        QCOMPARE(w.text(PrintBox::Width), "641");
        QCOMPARE(w.text(PrintBox::Height), "480.749985672534");
        QCOMPARE(w.rewrites, (QList<PrintBox>{PrintBox::Width, PrintBox::Height}));
        w.layout.edit(PrintBox::Height, "100");
        QCOMPARE(w.text(PrintBox::Width), "133.333337306976");
        QCOMPARE(w.text(PrintBox::Height), "100");

        w.layout.setPreserveRatio(false);
        QCOMPARE(w.stored("PreserveRatio"), "0");
        w.layout.edit(PrintBox::Height, "50");
        QCOMPARE(w.text(PrintBox::Width), "133.333337306976");
    }

    void droppingOnTheSheet() {
        Window w;
        w.open(); // 640 x 480 on Letter at 600 dpi, 26.47 dots a sheet pixel
        QCOMPARE(w.layout.paperText(), "7.5\" x 10.5\"");
        QCOMPARE(w.layout.copiesText(), "2");
        // The printable width, and the length of the sheet (not the printable 6300).
        const QSizeF page = w.layout.pageDots();
        QVERIFY2(qAbs(page.width() - 4500) < 0.01 && qAbs(page.height() - 5823.53) < 0.01,
                 qPrintable(QString("%1 x %2").arg(page.width()).arg(page.height())));
        // Whole dots: 10 and 20 sheet pixels of 26.47 dots each.
        w.layout.dropAt(QPointF(10, 20));
        QCOMPARE(w.text(PrintBox::Left), "265");
        QCOMPARE(w.stored("PrintTop"), "529");
        QVERIFY(w.redraws >= 2);
        const QRectF onSheet = w.layout.sheetRect();
        QVERIFY(qAbs(onSheet.left() - 10) < 0.05 && qAbs(onSheet.top() - 20) < 0.05);
        QVERIFY(qAbs(onSheet.width() - 24.18) < 0.05 && qAbs(onSheet.height() - 18.13) < 0.05);
        QCOMPARE(w.layout.pageRect().topLeft(), QPointF(265, 529));
        // Dropped at the sheet's far corner, the picture ends at the page's edges.
        w.layout.edit(PrintBox::Height, "1000");
        w.layout.dropAt(QPointF(169.6, 219.6));
        QCOMPARE(w.layout.pageRect(), QRectF(3860, 4823, 640, 1000));
        // A picture wider than the page starts at its left edge.
        w.layout.edit(PrintBox::Width, "5000");
        w.layout.dropAt(QPointF(80, 0));
        QCOMPARE(w.text(PrintBox::Left), "0");
    }

    void boxesRefuseWhatTheyCannotUse() {
        Window w;
        w.open();
        w.layout.edit(PrintBox::Left, "100");
        w.rewrites.clear();
        // Letters: a message, and the box keeps the value in force.
        w.prompts.expectMessage("WARNING");
        w.layout.edit(PrintBox::Left, "100a"); // the message's words: tst_printwindow
        QCOMPARE(w.prompts.asked().last().style, int(MsgIcon::Exclamation));
        QCOMPARE(w.text(PrintBox::Left), "100");
        QCOMPARE(w.stored("PrintLeft"), "100");
        QCOMPARE(w.rewrites, QList<PrintBox>{PrintBox::Left}); // the window shows "100" again
        w.prompts.expectMessage("WARNING");
        w.layout.edit(PrintBox::Increment, "1,5");
        QCOMPARE(w.layout.spinIncrement(), 0);
        w.layout.edit(PrintBox::Width, "640.5"); // a number all the same

        // A Left or Top past the page's edge is refused; spinning stops at the edge.
        w.prompts.expectMessage("WARNING");
        w.layout.edit(PrintBox::Left, "3860");
        QCOMPARE(w.prompts.asked().last().text,
                 QStringLiteral("Left can be at most 3859 dots: any further and the picture "
                                "would leave the page."));
        QCOMPARE(w.text(PrintBox::Left), "100");
        w.layout.edit(PrintBox::Left, "3859");
        w.layout.edit(PrintBox::Top, "5320");
        w.layout.edit(PrintBox::Increment, "25");
        w.layout.spinUp(PrintBox::Left);
        w.layout.spinUp(PrintBox::Top);
        QCOMPARE(w.layout.pageRect(), QRectF(3859, 5343, 640.5, 480));
        QCOMPARE(w.stored("PrintTop"), "5343");

        // Below the edge a Left is clamped; the box beside it shows "0" too.
        w.rewrites.clear();
        w.layout.edit(PrintBox::Left, "-5");
        QCOMPARE(w.stored("PrintLeft"), "0");
        QVERIFY(w.rewrites.contains(PrintBox::Left));
        w.layout.edit(PrintBox::Top, "150");
        QCOMPARE(w.layout.pageRect().topLeft(), QPointF(0, 150));
        w.layout.edit(PrintBox::Top, QString()); // stores nothing
        QCOMPARE(w.stored("PrintTop"), "150");
        w.layout.edit(PrintBox::Increment, "100000");
        QCOMPARE(w.layout.spinIncrement(), 32767);
        QCOMPARE(w.stored("SpinIncrement"), "100000");
        QVERIFY(w.layout.acceptsDigit("2147483647"));
        QVERIFY(!w.layout.acceptsDigit("2147483648"));
        QVERIFY(w.layout.acceptsDigit("-2147483648"));
        QVERIFY(!w.layout.acceptsDigit("99999999999999999999999"));
    }
};

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
