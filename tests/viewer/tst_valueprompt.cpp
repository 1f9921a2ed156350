// GetValue: limits, the bar and the box in step, and when OK closes.
#include "ModalWindows.h"
#include "ScriptedPromptService.h"
#include "output/valueprompt/ui/ValuePromptWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace q32;

class TstValuePrompt : public QObject {
    Q_OBJECT
    static ValuePromptSetup delaySetup(double initial) {
        return {QStringLiteral("Effect Delay"), QString(), 32767, 0, initial, 10, 1, false};
    }
private slots:
    void limitsAndEcho() {
        test::ScriptedPromptService prompts;
        ValuePromptWindow w(delaySetup(25), prompts);
        QCOMPARE(w.bar()->value(), 25);
        QCOMPARE(w.box()->text(), QStringLiteral("25"));
        w.bar()->setValue(40);
        QCOMPARE(w.box()->text(), QStringLiteral("40"));
        w.box()->setText("120");
        QCOMPARE(w.bar()->value(), 120);
        // The user's next edit is handled: the guards never stay set.
        w.box()->setText("121");
        QCOMPARE(w.bar()->value(), 121);

        prompts.expectMessage("WARNING").expectMessage("WARNING");
        w.box()->setText("-3");
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Invalid value"));
        w.box()->setText("40000");
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Value too large."));
        QCOMPARE(w.bar()->value(), 121);
        // A number no double holds is an error of its own, not a silent zero.
        prompts.expectMessage("UNEXPECTED ERROR! (GetValue: GetValueBox_Change)");
        w.box()->setText(QString(400, QLatin1Char('9')));
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Overflow"));
        QCOMPARE(w.bar()->value(), 121);
        // 0 is a delay like any other: what the box shows is what OK gives.
        w.box()->setText("0");
        QCOMPARE(w.bar()->value(), 0);
        w.okButton()->click();
        QVERIFY(w.userResult());
        QCOMPARE(w.amount(), 0);
    }

    void okRules() {
        test::ScriptedPromptService prompts;
        ValuePromptSetup small = delaySetup(5);
        small.maximum = 100;
        ValuePromptWindow w(small, prompts);
        // Refused values keep the window open, say why and show the value in force.
        for (const char* bad : {"", "200", "abc", "7.5"}) {
            w.box()->setText(bad);
            prompts.expectMessage("WARNING");
            w.okButton()->click();
            QVERIFY(!w.userResult());
            QCOMPARE(prompts.pending(), 0);
            QVERIFY2(prompts.asked().last().text.contains(
                         QStringLiteral("from 0 to 100: \"%1\" cannot be used").arg(bad)) &&
                         prompts.asked().last().text.contains("It stays 5."),
                     qPrintable(prompts.asked().last().text));
            QCOMPARE(w.box()->text(), QStringLiteral("5"));
            QCOMPARE(w.bar()->value(), 5);
        }

        // The modal form: Cancel reports nothing (OK gives the amount: tst_viewerwindows).
        test::whenShown<ValuePromptWindow>(
            [](ValuePromptWindow* d) { d->findChild<QPushButton*>("Cancel")->click(); });
        QVERIFY(!ValuePromptWindow::ask(small, prompts));
    }
};

QTEST_MAIN(TstValuePrompt)
#include "tst_valueprompt.moc"
