// Contact sheets from a real album: 30 records at 4 x 5 make two pages of 20 and 10 pictures in
// the album's order, with names a reader (tesseract) can read off the rendered pages; the
// window's page count, and a sheet stopped half-way leaves no file.

#include "ScriptedPromptService.h"
#include "TestAlbums.h"
#include "TestClips.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumQuery.h"
#include "album/AlbumRecordset.h"
#include "common/Settings.h"
#include "output/print/PrintRun.h"
#include "output/print/ui/ContactSheetWindow.h"
#include "platform/printer/DefaultPrinter.h"
#include "platform/printer/PdfFileOutput.h"
#include "printpages.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

using namespace q32;
using namespace q32::test;

namespace {

constexpr int kRecords = 30;

QColor ColourOf(int i) {
    return QColor::fromHsv(i * 360 / kRecords, 230, 230);
}

QString NameOf(int i) {
    return QString("Holiday%1.png").arg(i + 1, 2, 10, QLatin1Char('0'));
}

// An album whose record i holds a picture of one colour, named NameOf(i).
QString MakeAlbum(const TestEnv& env) {
    QList<QStringList> rows;
    for (int i = 0; i < kRecords; ++i)
        rows.append({NameOf(i),
                     QString("Day %1 of the holiday").arg(i + 1),
                     {},
                     MakePicture(env.path(NameOf(i)), i % 3 ? QSize(320, 240) : QSize(240, 320),
                                 ColourOf(i))});
    return test::MakeAlbum(env.path("sheet.mdb"), rows);
}

QList<ContactSheetEntry> EntriesOf(const QString& albumPath) {
    AlbumStatus status;
    auto album = AlbumDb::open(albumPath, {true, {}}, &status);
    AlbumRecordset records(*album, AlbumQuery{}); // by date, ascending
    return ContactSheetEntries(records);
}

// What program prints on its standard output.
QString Output(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PageCount(const QString& pdf) {
    static const QRegularExpression pages("\\nPages:\\s*(\\d+)");
    const auto m = pages.match(Output("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The middles of the pictures of each record's colour on a page, in reading order of the
// page's rows and columns; -1 for a colour not found.
QList<int> RecordsInReadingOrder(const QImage& page) {
    struct Spot {
        int record;
        double x, y;
    };
    QList<Spot> spots;
    for (int i = 0; i < kRecords; ++i) {
        const QRgb want = ColourOf(i).rgb();
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < page.height(); y += 2)
            for (int x = 0; x < page.width(); x += 2)
                if (Near(page.pixel(x, y), want, 10)) {
                    sx += x;
                    sy += y;
                    ++n;
                }
        if (n > 50)
            spots.append({i, sx / n, sy / n});
    }
    std::sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) {
        return qAbs(a.y - b.y) > 20 ? a.y < b.y : a.x < b.x;
    });
    QList<int> order;
    for (const Spot& s : spots)
        order << s.record;
    return order;
}

} // namespace

class TestPrintSheet : public QObject {
    Q_OBJECT
private slots:
    void thirtyRecordsOnTwoPages() {
        TestEnv env;
        const QString album = MakeAlbum(env);
        QVERIFY(!album.isEmpty());
        const QList<ContactSheetEntry> entries = EntriesOf(album);
        QCOMPARE(entries.size(), kRecords);
        const QString pdf = env.path("sheet.pdf");
        PdfFileOutput output(pdf, OpenPdfFilePrinter()->pageLayout(), 300, "sheet");
        const ContactSheetOptions options{4, 5, SheetCaption::FileName, "sheet.mdb"};
        int lastProgress = 0;
        const PrintProgress progress{.progress = [&lastProgress](int p) { lastProgress = p; }};
        const PrintOutcome outcome = PrintContactSheet(
            output, entries, options, AlbumPictureReader(album, QString()), progress);
        QVERIFY2(outcome.ok(), qPrintable(outcome.error));
        QCOMPARE(lastProgress, 100);
        QCOMPARE(PageCount(pdf), 2);

        // Each page holds its records in order, and their names read back off it as a person
        // sees them.
        const bool ocr = !QStandardPaths::findExecutable("tesseract").isEmpty();
        for (int page = 1; page <= 2; ++page) {
            const QImage rendered = RenderPage(pdf, 50, env.root(), page);
            QList<int> expected;
            for (int i = (page - 1) * 20; i < std::min(kRecords, page * 20); ++i)
                expected << i;
            QCOMPARE(RecordsInReadingOrder(rendered), expected);
            if (!ocr)
                continue;
            RenderPage(pdf, 200, env.root(), page).save(env.path("ocr.png"));
            const QString text = Output("tesseract", {env.path("ocr.png"), "-", "--psm", "11"});
            int read = 0;
            for (int i : expected)
                read += text.contains(NameOf(i)) ? 1 : 0;
            QVERIFY2(read >= expected.size() - 1,
                     qPrintable(QString::number(read) + " read:\n" + text));
            QVERIFY(text.contains(QString("Page %1 of 2").arg(page)));
        }
        if (!ocr)
            QSKIP("tesseract is not installed: the names were not read back");
    }

    void descriptionsStopAndPageCount() {
        TestEnv env;
        const QString album = MakeAlbum(env);
        const QList<ContactSheetEntry> entries = EntriesOf(album);
        // Stopped after the first picture: nothing written.
        const QString stopped = env.path("stopped.pdf");
        PdfFileOutput output(stopped, OpenPdfFilePrinter()->pageLayout(), 150, QString());
        int drawn = 0;
        const PrintProgress progress{[&drawn] { return drawn > 0; }, [&drawn](int) { ++drawn; }};
        const PrintOutcome outcome =
            PrintContactSheet(output, entries, {}, AlbumPictureReader(album, QString()), progress);
        QVERIFY(outcome.stopped);
        QVERIFY(!QFile::exists(stopped));

        // An album that cannot be read ends the job with its reason, and writes nothing.
        const QString failed = env.path("failed.pdf");
        PdfFileOutput second(failed, OpenPdfFilePrinter()->pageLayout(), 150, QString());
        const PrintOutcome broken = PrintContactSheet(
            second, entries, {}, AlbumPictureReader(env.path("missing.mdb"), QString()), {});
        QVERIFY(!broken.ok() && !broken.error.isEmpty());
        QVERIFY(!QFile::exists(failed));

        // The window: the stored choice, the page count as the numbers change, and a PDF
        // saved with descriptions beneath.
        ScriptedPromptService prompts;
        Settings settings(Settings::defaultPath(), &prompts);
        settings.storeText("Contact Sheet", "Columns", "3");
        const QString pdf = env.path("window.pdf");
        prompts.expectSaveFile("Save Contact Sheet As PDF", pdf);
        ContactSheetWindow window({entries, album, {}}, nullptr, settings, prompts);
        auto* columns = window.findChild<QSpinBox*>("Columns");
        QCOMPARE(columns->value(), 3);
        QCOMPARE(window.findChild<QLabel*>("PageCount")->text(), "30 picture(s) on 2 page(s)");
        columns->setValue(2);
        QCOMPARE(window.pageCount(), 3);
        window.findChild<QSpinBox*>("Rows")->setValue(3);
        QCOMPARE(window.findChild<QLabel*>("PageCount")->text(), "30 picture(s) on 5 page(s)");
        window.findChild<QRadioButton*>("CaptionDescriptions")->setChecked(true);
        QVERIFY(!window.findChild<QPushButton*>("SheetPrint")->isEnabled());
        window.show();
        window.saveAsPdf();
        QVERIFY(QTest::qWaitFor([&window] { return !window.run().running(); }, 60000));
        QVERIFY(window.made());
        QCOMPARE(PageCount(pdf), 5);
        QCOMPARE(settings.storedText("Contact Sheet", "Rows"), "3");
        const QString page1 = Output("pdftotext", {"-l", "1", pdf, "-"});
        QVERIFY2(page1.contains("Day 1 of the holiday") && page1.contains("Day 6 of the holiday") &&
                     !page1.contains("Day 7 of"),
                 qPrintable(page1));
    }

    // A clip shows its frame from a second in; one that cannot be read keeps its marked place.
    void clipsShowTheirFrame() {
        TestEnv env;
        const QString clip = env.path("walk.mp4");
        const QColor after(30, 100, 200);
        QVERIFY(MakeClip(clip, {{"color=c=red", 1.0}, {"color=c=" + after.name(), 2.0}}));
        QVERIFY(writeFile(env.path("cut.mp4"), readFile(clip).left(2000)));
        const QString mp4 = "95 MPEG-4 Video";
        const QString album =
            test::MakeAlbum(env.path("clips.mdb"), {{"walk.mp4", "", "", clip, mp4},
                                                    {"cut.mp4", "", "", env.path("cut.mp4"), mp4}});
        const QString pdf = env.path("clips.pdf");
        PdfFileOutput output(pdf, OpenPdfFilePrinter()->pageLayout(), 150, QString());
        const PrintOutcome outcome = PrintContactSheet(
            output, EntriesOf(album), {.columns = 2, .rows = 2}, AlbumPictureReader(album, {}), {});
        QVERIFY2(outcome.ok(), qPrintable(outcome.error));
        const QImage page = RenderPage(pdf, 50, env.root());
        int framePixels = 0, redPixels = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                framePixels += Near(page.pixel(x, y), after.rgb(), 24) ? 1 : 0;
                redPixels += Near(page.pixel(x, y), qRgb(255, 0, 0), 60) ? 1 : 0;
            }
        // A cell at 50 dpi is about 190 x 230 pixels; the frame fills its width at 4:3.
        QVERIFY2(framePixels > 15000 && redPixels < 100,
                 qPrintable(QString("%1 %2").arg(framePixels).arg(redPixels)));
        QCOMPARE(Output("pdftotext", {pdf, "-"}).count("Video clip"), 1);
    }
};

QTEST_MAIN(TestPrintSheet)
#include "tst_printsheet.moc"
