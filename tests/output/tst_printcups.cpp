// Printing through a real CUPS with Debian's PDF printer as the default queue (.ci/run starts
// one): a generated picture placed and sized in printer dots comes out of the queue where and
// as large as it was asked for, in its colours.

#include "output/print/PrintRender.h"
#include "platform/printer/CupsOutput.h"
#include "platform/printer/DefaultPrinter.h"
#include "printpages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

using namespace q32;
using namespace q32::test;

namespace {

// Where cups-pdf puts the jobs of this user: the "Out" line of its configuration.
QString CupsPdfFolder() {
    QString out = "${HOME}/PDF";
    QFile conf("/etc/cups/cups-pdf.conf");
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray& line : conf.readAll().split('\n'))
            if (line.startsWith("Out "))
                out = QString::fromLocal8Bit(line.mid(4).trimmed());
    const passwd* pw = getpwuid(getuid());
    out.replace("${HOME}", QString::fromLocal8Bit(pw ? pw->pw_dir : ""));
    out.replace("${USER}", QString::fromLocal8Bit(pw ? pw->pw_name : ""));
    return out;
}

// The queue's PDF once it is complete: ghostscript creates the file first and writes the
// trailer last.
QString WaitForPdf(const QString& folder, const QString& title, int seconds) {
    auto complete = [](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.size() < 100)
            return false;
        f.seek(f.size() - std::min<qint64>(f.size(), 1024));
        return f.readAll().contains("%%EOF");
    };
    for (int i = 0; i < seconds * 4; ++i) {
        const QStringList found =
            QDir(folder).entryList({QString("*%1*.pdf").arg(title)}, QDir::Files);
        if (!found.isEmpty()) {
            const QString path = QDir(folder).filePath(found.first());
            const qint64 size = QFileInfo(path).size();
            if (complete(path)) {
                QTest::qWait(500);
                if (QFileInfo(path).size() == size && complete(path))
                    return path;
            }
        }
        QTest::qWait(250);
    }
    return {};
}

} // namespace

class TestPrintCups : public QObject {
    Q_OBJECT
private slots:
    void pictureComesOutWherePlaced() {
        std::unique_ptr<QPrinter> printer = OpenDefaultPrinter();
        if (!printer) {
            if (qEnvironmentVariableIntValue("QUILLON_REQUIRE_CUPS"))
                QFAIL("no default CUPS printer, though .ci/run should have started one");
            QSKIP("no default CUPS printer here (.ci/run starts one with cups-pdf)");
        }
        QTemporaryDir work;
        const QString picture = work.filePath("quarters.png");
        QVERIFY(FourQuarters(400, 300).save(picture));

        // One inch in and an inch and a half down from the printable corner, two inches wide
        // and an inch and a half high: the picture is enlarged, and not at one dot a pixel.
        const int dpi = printer->resolution();
        const QRectF target(dpi * 1.0, dpi * 1.5, dpi * 2.0, dpi * 1.5);
        const QString title = QString("q32cups%1").arg(QDateTime::currentMSecsSinceEpoch());
        CupsOutput output(*printer, title);
        const PrintOutcome outcome =
            PrintPictureOn(output, {picture, {}, title}, target, false, {});
        QVERIFY2(outcome.ok(), qPrintable(outcome.error));
        QVERIFY(output.jobId() > 0);

        const QString pdf = WaitForPdf(CupsPdfFolder(), title, 60);
        QVERIFY2(!pdf.isEmpty(), qPrintable("nothing from the queue in " + CupsPdfFolder()));
        constexpr int kRender = 150;
        const QImage page = RenderPage(pdf, kRender, work.path());
        const QPointF corner = printer->pageLayout().paintRect(QPageLayout::Inch).topLeft();
        const QRectF asked((corner.x() + 1.0) * kRender, (corner.y() + 1.5) * kRender,
                           2.0 * kRender, 1.5 * kRender);
        QString why;
        QVERIFY2(PictureAt(page, asked, &why), qPrintable(why));
        QFile::remove(pdf);
    }
};

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
