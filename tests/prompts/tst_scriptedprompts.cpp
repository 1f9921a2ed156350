// The scripted prompt service fails the test that misuses it, and passes the one that doesn't.

#include "ScriptedPromptService.h"

#include <QProcess>
#include <QTest>

using namespace q32;

class TestScriptedPrompts : public QObject {
    Q_OBJECT
private slots:
    void misuseFailsTheTest_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("reason");
        QTest::newRow("answer left") << "forgetsAnAnswer"
                                     << "1 scripted answer(s) never asked for, the first: input "
                                        "\"NAME\"";
        QTest::newRow("busy pointer") << "leavesTheBusyPointerOn"
                                      << "the busy pointer is still on (depth 1)";
        QTest::newRow("unexpected") << "asksWhatNobodyExpected"
                                    << "unexpected prompt: input \"NAME\": Name?";
    }
    void misuseFailsTheTest() {
        QFETCH(QString, function);
        QFETCH(QString, reason);
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QStringLiteral(MISUSE_PROGRAM), {function});
        QVERIFY(run.waitForFinished(30000));
        const QString out = QString::fromUtf8(run.readAll());
        QVERIFY2(run.exitCode() != 0, qPrintable(out));
        QVERIFY2(out.contains("FAIL!  : Misuse::" + function) && out.contains(reason),
                 qPrintable(out));
    }

    void answersInOrderAndBalancesTheBusyPointer() {
        test::ScriptedPromptService prompts;
        prompts.expectMessage("FYI", MsgResult::Yes)
            .expectInput("NAME", "typed")
            .expectPassword("/a.mdb", std::nullopt)
            .expectPassword("/a.mdb", "pw");
        {
            BusyGuard outer(prompts);
            BusyGuard inner(prompts);
            QCOMPARE(prompts.busyDepth(), 2);
            QCOMPARE(prompts.msgBox("Hi", 4, "FYI"), MsgResult::Yes);
            QCOMPARE(prompts.asked().last().style, 4);
        }
        QCOMPARE(prompts.busyDepth(), 0);
        QCOMPARE(prompts.input("Name?", "NAME", "default"), QStringLiteral("typed"));
        QCOMPARE(prompts.askPassword("/a.mdb"), std::nullopt);
        QCOMPARE(prompts.askPassword("/a.mdb"), std::optional<QString>("pw"));
        QVERIFY(prompts.verifyDone());
    }
};

QTEST_GUILESS_MAIN(TestScriptedPrompts)
#include "tst_scriptedprompts.moc"
