// The "File Save Options" and "Stamp Dimensions" windows as a person uses them: the controls
// follow the chosen format, typing and scrolling stay in step, OK and Cancel hand back the choice.

#include "ScriptedPromptService.h"
#include "output/export/ui/ResizeWindow.h"
#include "output/export/ui/SaveOptionsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace q32;

namespace {

template <typename T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

int rowOf(QListWidget* list, const QString& text) {
    return list->row(list->findItems(text, Qt::MatchExactly).value(0));
}

const ImageInfo kLandscape{.width = 640, .height = 480, .bitsPerPixel = 24};

} // namespace

class TestSaveOptionsWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsFollowTheFormat() {
        test::ScriptedPromptService prompts;
        SaveOptionsWindow w(1, false, kLandscape, prompts);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("File Save Options"));
        auto* list = child<QListWidget>(&w, "Format");
        QCOMPARE(list->currentItem()->text(), QStringLiteral("JPEG (JFIF)"));
        auto* flavors = child<QComboBox>(&w, "Flavors");
        QCOMPARE(flavors->count(), 3);
        QVERIFY(flavors->isEnabled());
        QVERIFY(child<QRadioButton>(&w, "Bit_24")->isChecked());
        QVERIFY(!child<QRadioButton>(&w, "Bit_1")->isEnabled());
        QCOMPARE(child<QLineEdit>(&w, "CustomQBox")->text(), QStringLiteral("20"));
        // JPEG keeps the custom factor: the predefined list shows "CUSTOM" and can't be changed.
        auto* predef = child<QComboBox>(&w, "PredefQ");
        QCOMPARE(predef->currentText(), QStringLiteral("CUSTOM"));
        QVERIFY(!predef->isEnabled());
        w.model().selectPredefined(0);
        QCOMPARE(predef->currentText(), QStringLiteral("CUSTOM"));
        QVERIFY(child<QCheckBox>(&w, "SaveStampCheck")->isEnabled());
        QVERIFY(!child<QCheckBox>(&w, "MultipageCheck")->isEnabled());

        // Typing moves the bar; scrolling writes the box.
        auto* box = child<QLineEdit>(&w, "CustomQBox");
        auto* bar = child<QScrollBar>(&w, "CustomQBar");
        box->clear();
        QTest::keyClicks(box, "45");
        QCOMPARE(bar->value(), 45);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(box->text(), QStringLiteral("55"));
        // A factor it cannot use: OK says so, and the box and bar show the one in force (what
        // was typed before the text went wrong).
        for (const auto& [bad, inForce] :
             {std::pair{"300", 30}, {"abc", 30}, {"12x", 12}, {"1", 12}}) {
            box->selectAll();
            QTest::keyClicks(box, bad);
            prompts.expectMessage("WARNING");
            child<QPushButton>(&w, "OK")->click();
            QVERIFY(w.isVisible());
            QCOMPARE(prompts.pending(), 0);
            const QString why = prompts.asked().last().text;
            QVERIFY2(why.contains(QStringLiteral("\"%1\" cannot be used").arg(bad)) &&
                         why.endsWith(QStringLiteral("stays %1.").arg(inForce)),
                     qPrintable(why));
            QCOMPARE(box->text(), QString::number(inForce));
            QCOMPARE(bar->value(), inForce);
        }

        // CALS: one bit, no flavors, no quality; TIFF: append available and remembered.
        list->setCurrentRow(rowOf(list, "CALS"));
        QVERIFY(child<QRadioButton>(&w, "Bit_1")->isChecked());
        QVERIFY(!child<QRadioButton>(&w, "Bit_24")->isEnabled());
        QVERIFY(!flavors->isEnabled());
        QVERIFY(!child<QWidget>(&w, "QfactorFrame")->isEnabled());
        QCOMPARE(child<QCheckBox>(&w, "SaveStampCheck")->checkState(), Qt::PartiallyChecked);
        list->setCurrentRow(rowOf(list, "TIFF"));
        flavors->setCurrentIndex(1);
        emit flavors->activated(1);
        child<QRadioButton>(&w, "Bit_8")->click();
        child<QCheckBox>(&w, "MultipageCheck")->click();
        child<QPushButton>(&w, "OK")->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const SaveChoice c = w.model().choice();
        QVERIFY(c.accepted);
        QCOMPARE(c.save.formatCode, 17);
        QCOMPARE(c.save.bitsPerPixel, 8);
        QVERIFY(c.save.multiPage);
        QCOMPARE(c.formatIndex, 18);
    }

    // "LEAD" and its two coding choices at 1 bit, the FlashPix type prompt and its answers, and
    // the rows whose files cannot be written here: OK offers the nearest writable choice.
    void rowsWithRulesOfTheirOwn() {
        test::ScriptedPromptService prompts;
        SaveOptionsWindow w(0, false, kLandscape, prompts);
        w.show();
        auto* list = child<QListWidget>(&w, "Format");
        QCOMPARE(list->currentItem()->text(), QStringLiteral("LEAD"));
        auto* predef = child<QComboBox>(&w, "PredefQ");
        auto* box = child<QLineEdit>(&w, "CustomQBox");
        auto* stamp = child<QCheckBox>(&w, "SaveStampCheck");
        QVERIFY(child<QRadioButton>(&w, "Bit_1")->isChecked());
        QCOMPARE(predef->count(), 2);
        QCOMPARE(predef->itemText(0) + predef->itemText(1), QStringLiteral("LEAD_0LEAD_1"));
        QCOMPARE(box->text(), QStringLiteral("0"));
        QVERIFY(!box->isEnabled() && !stamp->isEnabled());
        predef->setCurrentIndex(1);
        emit predef->activated(1);
        QCOMPARE(box->text(), QStringLiteral("1"));
        QCOMPARE(w.model().choice().save.formatCode, 26);
        QCOMPARE(w.model().choice().save.qualityFactor, 1);
        child<QRadioButton>(&w, "Bit_8")->click();
        QCOMPARE(predef->currentText(), QStringLiteral("PQ1"));
        QCOMPARE(box->text(), QStringLiteral("-1"));
        QVERIFY(!box->isEnabled()); // a predefined factor locks the custom one
        QVERIFY(stamp->isEnabled() && !stamp->isChecked());
        // The custom factor of "LEAD" goes down to -9; 0 and 1 are saved as 2.
        predef->setCurrentIndex(SaveOptionsModel::kCustom);
        emit predef->activated(SaveOptionsModel::kCustom);
        QCOMPARE(child<QScrollBar>(&w, "CustomQBar")->minimum(), -9);
        box->selectAll();
        QTest::keyClicks(box, "1");
        QCOMPARE(w.model().choice().save.formatCode, 20);
        QCOMPARE(w.model().choice().save.qualityFactor, 2);
        // These files are not written here: No keeps the window open, Yes takes the nearest.
        box->selectAll();
        QTest::keyClicks(box, "-4");
        prompts.expectMessage("File Save Options", MsgResult::No);
        child<QPushButton>(&w, "OK")->click();
        QVERIFY(w.isVisible() && !w.model().choice().accepted);
        QVERIFY(prompts.asked().last().text.startsWith(
            "LEAD CMP files cannot be written on this system."));
        prompts.expectMessage("File Save Options", MsgResult::Yes);
        child<QPushButton>(&w, "OK")->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        SaveChoice c = w.model().choice();
        QVERIFY(c.accepted);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("JPEG (JFIF)"));
        QCOMPARE(c.save.formatCode, 10);
        QCOMPARE(c.save.bitsPerPixel, 8);
        QCOMPARE(c.save.qualityFactor, -4);

        // FlashPix: an empty answer leaves the window open, one that is not 0 to 3 is refused.
        SaveOptionsWindow fpx(23, false, kLandscape, prompts);
        fpx.show();
        auto* ok = child<QPushButton>(&fpx, "OK");
        for (const char* answer : {"", "7", "abc", "-1"}) {
            prompts.expectInput("KODAK FLASHPIX TYPE:", answer);
            if (*answer)
                prompts.expectMessage("WARNING");
            ok->click();
            QVERIFY(fpx.isVisible());
            QVERIFY(!fpx.model().choice().accepted);
            QCOMPARE(prompts.pending(), 0);
        }
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Invalid entry"));
        QCOMPARE(prompts.asked().last().style, 48);
        QCOMPARE(prompts.asked().at(prompts.asked().size() - 2).text,
                 QStringLiteral("0...no compression\r1...compressed with the single color method\r"
                                "2...compressed with JPEG, using the default Q factor\r"
                                "3...compressed with JPEG, using the specified Q factor"));
        prompts.expectInput("KODAK FLASHPIX TYPE:", "2.6");
        ok->click();
        c = fpx.model().choice();
        QVERIFY(c.accepted);
        QCOMPARE(c.save.formatCode, 83);
    }

    void stampAsksItsSizeAndCancelKeepsTheWindowOpen() {
        test::ScriptedPromptService prompts;
        SaveOptionsWindow w(1, false, ImageInfo{.width = 800, .height = 1200, .bitsPerPixel = 24},
                            prompts);
        w.show();
        child<QCheckBox>(&w, "SaveStampCheck")->click();
        // First the stamp window is cancelled, then answered with a width of 100, too wide
        // for a portrait, then 80.
        int round = 0;
        auto answer = [&] {
            auto* stamp = qobject_cast<ResizeWindow*>(QApplication::activeModalWidget());
            QVERIFY(stamp);
            QCOMPARE(stamp->windowTitle(), QStringLiteral("Stamp Dimensions"));
            QVERIFY(child<QCheckBox>(stamp, "AspectRatioBox")->isChecked());
            if (round++ == 0) {
                child<QPushButton>(stamp, "Cancel")->click();
                return;
            }
            auto* width = child<QLineEdit>(stamp, "Value1Box");
            auto* height = child<QLineEdit>(stamp, "Value2Box");
            QCOMPARE(width->text() + "x" + height->text(), QStringLiteral("43x64"));
            width->selectAll();
            QTest::keyClicks(width, "100");
            QCOMPARE(height->text(), QStringLiteral("150"));
            prompts.expectMessage("WARNING");
            child<QPushButton>(stamp, "OK")->click();
            QVERIFY(stamp->isVisible());
            QCOMPARE(prompts.pending(), 0);
            QVERIFY(prompts.asked().last().text.contains("needs a height of 150"));
            QCOMPARE(width->text() + "x" + height->text(), QStringLiteral("83x125"));
            width->selectAll();
            QTest::keyClicks(width, "80");
            QCOMPARE(child<QScrollBar>(stamp, "Value2Bar")->value(), 120);
            child<QCheckBox>(stamp, "ResampleBox")->click();
            child<QPushButton>(stamp, "OK")->click();
        };
        QTimer::singleShot(0, this, answer);
        child<QPushButton>(&w, "OK")->click();
        QVERIFY(w.isVisible() && !w.model().choice().accepted);
        QTimer::singleShot(0, this, answer);
        child<QPushButton>(&w, "OK")->click();
        const SaveChoice c = w.model().choice();
        QVERIFY(c.accepted);
        QVERIFY(c.stamp);
        QCOMPARE(c.stamp->width, 80);
        QCOMPARE(c.stamp->height, 120);
        QCOMPARE(c.stamp->bits, 8);
    }
};

QTEST_MAIN(TestSaveOptionsWindow)
#include "tst_saveoptionswindow.moc"
