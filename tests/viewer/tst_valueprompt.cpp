// GetValue: limits, the bar and the box in step, and when OK closes.
#include "ScriptedPromptService.h"
#include "output/ValuePromptWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

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
        QCOMPARE(w.windowTitle(), QStringLiteral("Effect Delay"));
        QCOMPARE(w.bar()->value(), 25);
        QCOMPARE(w.box()->text(), QStringLiteral("25"));
        QCOMPARE(w.bar()->pageStep(), 10);
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
        // 0 does not move the bar; OK then gives the bar's value, always within its range.
        w.box()->setText("0");
        QCOMPARE(w.bar()->value(), 121);
        w.okButton()->click();
        QVERIFY(w.userResult());
        QCOMPARE(w.amount(), 121);
        QCOMPARE(prompts.pending(), 0);
    }

    void okRules() {
        test::ScriptedPromptService prompts;
        ValuePromptSetup small = delaySetup(5);
        small.maximum = 100;
        ValuePromptWindow w(small, prompts);
        w.box()->setText("");
        w.okButton()->click();
        QVERIFY(!w.userResult()); // empty: stays open
        w.box()->setText("200");
        w.okButton()->click();
        QVERIFY(!w.userResult()); // above the maximum: stays open
        QCOMPARE(w.bar()->value(), 5);

        // The modal form: Cancel reports nothing, OK the amount.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<ValuePromptWindow*>(QApplication::activeModalWidget());
            dialog->findChild<QPushButton*>("Cancel")->click();
        });
        QVERIFY(!ValuePromptWindow::ask(small, prompts));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<ValuePromptWindow*>(QApplication::activeModalWidget());
            dialog->box()->setText("64");
            dialog->okButton()->click();
        });
        QCOMPARE(*ValuePromptWindow::ask(small, prompts), 64);
    }
};

QTEST_MAIN(TstValuePrompt)
#include "tst_valueprompt.moc"
