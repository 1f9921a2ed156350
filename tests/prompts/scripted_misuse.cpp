// Tests that misuse the scripted prompt service; each must fail. Run by tst_scriptedprompts.

#include "ScriptedPromptService.h"

#include <QTest>

using namespace q32;

class Misuse : public QObject {
    Q_OBJECT
private slots:
    void forgetsAnAnswer() {
        test::ScriptedPromptService prompts;
        prompts.expectMessage("FYI").expectInput("NAME", "x");
        prompts.msgBox("Hello", MsgIcon::Information, "FYI");
    }
    void leavesTheBusyPointerOn() {
        test::ScriptedPromptService prompts;
        [[maybe_unused]] auto* leaked = new BusyGuard(prompts);
    }
    void asksWhatNobodyExpected() {
        test::ScriptedPromptService prompts;
        prompts.input("Name?", "NAME", "");
    }
};

QTEST_GUILESS_MAIN(Misuse)
#include "scripted_misuse.moc"
