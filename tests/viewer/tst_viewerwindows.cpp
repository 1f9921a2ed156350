// The caption window and the wipe-pattern window.
#include "ModalWindows.h"
#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "output/valueprompt/ui/ValuePromptWindow.h"
#include "viewer/SlideshowValues.h"
#include "viewer/WipePatterns.h"
#include "viewer/ui/ImageCaptionWindow.h"
#include "viewer/ui/WipePatternsWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace q32;

class TstViewerWindows : public QObject {
    Q_OBJECT
private slots:
    void caption() {
        test::TestEnv env;
        test::ScriptedPromptService prompts;
        Settings settings(env.configFile(), &prompts);
        {
            ImageCaptionWindow w(settings, prompts, 1024);
            QCOMPARE(w.entry(2)->text(), QStringLiteral("1024")); // the screen's width
            w.spin(0, -1);
            QCOMPARE(w.entry(0)->text(), QStringLiteral("0")); // never below 0
            w.entry(3)->clear();
            w.spin(3, 1);
            QCOMPARE(w.entry(3)->text(), QStringLiteral("1")); // empty counts as 0
            w.findChild<QRadioButton*>("Option3D1_1")->setChecked(true);
            prompts.expectColour(QColor(255, 255, 0));
            w.chooseBackColour();
            w.confirm();
        }
        QCOMPARE(settings.storedText("ImageCaption", "CaptionBorderStyle"), QStringLiteral("1"));
        QCOMPARE(settings.storedText("ImageCaption", "CaptionBackColor"), QStringLiteral("65535"));
        QCOMPARE(settings.storedText("ImageCaption", "CaptionHeight"), QStringLiteral("1"));
        {
            ImageCaptionWindow w(settings, prompts, 1024);
            QVERIFY(w.findChild<QRadioButton*>("Option3D1_1")->isChecked());
            // Cancel after another colour: the stored one stays.
            prompts.expectColour(QColor(0, 0, 255));
            w.chooseBackColour();
            QCOMPARE(w.properties().backColor, QColor(0, 0, 255));
            w.cancel();
        }
        QCOMPARE(settings.storedText("ImageCaption", "CaptionBackColor"), QStringLiteral("65535"));
    }

    void wipePatterns() {
        test::TestEnv env;
        test::ScriptedPromptService prompts;
        Settings settings(env.configFile(), &prompts);
        ProgramState state;
        state.paths.AppDir = env.appDir();
        SlideshowValues values;
        settings.storeText("Slide Show", "EffectDelay", "30");
        QVERIFY(test::writeFile(state.paths.AppDir + "Effects.txt",
                                "0000,Wipe,1\n0001,Iris,2\n0002,Clock,3\n"));

        WipeSelection selection;
        WipePatternsWindow w(selection, state.paths.AppDir, values, settings, prompts);
        QStringList captions;
        w.setCaptionSink([&captions](const QString& c) { captions << c; });
        test::whenShown<WipePatternsWindow>([](WipePatternsWindow* w) {
            w->selectCatalogueEntry(2);
            w->selectCatalogueEntry(0);
            // With the box ticked a double click asks for the entry's delay.
            w->delayBox()->setChecked(true);
            test::whenShown<ValuePromptWindow>([](ValuePromptWindow* prompt) {
                QCOMPARE(prompt->box()->text(), QStringLiteral("30"));
                prompt->box()->setText("75");
                prompt->okButton()->click();
            });
            w->selectionEntryClicked(1);
            w->save();
        });
        w.run();
        QCOMPARE(captions.first(), QStringLiteral("BUSY: Loading wipe patterns (0000,Wipe,1)..."));
        QCOMPARE(captions.last(), QStringLiteral("BUSY: Saving configuration..."));
        const QByteArray kept("0000) Wipe [30], 1\n0002) Clock [75], 3\n");
        QCOMPARE(test::readFile(state.paths.AppDir + "Effects2.txt"), kept);

        // Unticked, a double click removes; Cancel leaves the file as it was.
        test::whenShown<WipePatternsWindow>([](WipePatternsWindow* w) {
            w->delayBox()->setChecked(false);
            w->selectionEntryClicked(0);
            QCOMPARE(w->selected()->count(), 1);
            w->selectAll();
            QCOMPARE(w->available()->count(), 0);
            w->cancel();
        });
        w.run();
        QCOMPARE(test::readFile(state.paths.AppDir + "Effects2.txt"), kept);

        // The viewer closed while the lists load: loading stops and no window shows.
        WipeSelection unloaded;
        WipePatternsWindow stopped(unloaded, state.paths.AppDir, values, settings, prompts);
        int lines = 0;
        stopped.setCaptionSink([&](const QString&) {
            if (++lines == 2)
                stopped.stop();
        });
        stopped.run();
        QCOMPARE(lines, 2);
        QVERIFY(!stopped.isVisible());
        QCOMPARE(unloaded.catalogueLines(), 0);
    }
};

QTEST_MAIN(TstViewerWindows)
#include "tst_viewerwindows.moc"
