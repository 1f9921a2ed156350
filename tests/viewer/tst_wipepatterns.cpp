// The pattern files, the choice of a pattern per picture, and the number prompts.
#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "common/Settings.h"
#include "viewer/SlideshowPrompts.h"
#include "viewer/SlideshowValues.h"
#include "viewer/WipePatterns.h"

#include <QTest>

using namespace q32;

namespace {

QString write(const QString& path, const QByteArray& text) {
    return test::writeFile(path, text) ? path : QString();
}

WipeSelection selectionOf(const QStringList& lines, int catalogueLines = 20) {
    test::TestEnv env;
    WipeSelection s;
    QList<WipeEntry> catalogue;
    for (int i = 0; i < catalogueLines; ++i)
        catalogue.append(
            {QStringLiteral("%1) Style %2").arg(i, 4, 10, QLatin1Char('0')).arg(i), 100 + i});
    s.setCatalogue(catalogue);
    s.readSelection(write(env.path("sel.txt"), lines.join('\n').toUtf8()));
    return s;
}

} // namespace

class TstWipePatterns : public QObject {
    Q_OBJECT
private slots:
    void catalogueLines() {
        test::TestEnv env;
        const QString path = write(env.path("Effects.txt"), "0000,Wipe,7\n"
                                                            "0001,no second comma\n" +
                                                                QByteArray(260, 'x') + ",late,1\n" +
                                                                "0002,Iris , 12 \n");
        const QList<WipeEntry> all = ReadWipeCatalogue(path);
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0].text, QStringLiteral("0000) Wipe"));
        QCOMPARE(all[0].pattern, 7);
        QCOMPARE(all[1].text, QStringLiteral("0002) Iris "));
        QCOMPARE(all[1].pattern, 12);
        // The reader stops when told (a click on the viewer during the load).
        int seen = 0;
        QCOMPARE(ReadWipeCatalogue(path, [&seen](const QString&) { return ++seen < 2; }).size(), 1);

        QCOMPARE(ParseEffectDelay("0012) N [25]"), QStringLiteral("25"));
        QCOMPARE(ParseEffectDelay("0012) N"), QStringLiteral("5"));
        QCOMPARE(ParseEffectDelay("0012) N [7"), QStringLiteral("5"));
    }

    void selectingAndSaving() {
        test::TestEnv env;
        WipeSelection s = selectionOf({});
        QVERIFY(s.selected().isEmpty()); // a missing or empty file: nothing selected
        s.select(12, 25);
        s.select(3, 40);
        s.select(12, 25); // the same text again: once
        QCOMPARE(s.selected().size(), 2);
        s.select(12, 30); // another delay: a second entry (the file below holds all three)
        QCOMPARE(s.selected()[0].text, QStringLiteral("0003) Style 3 [40]"));
        QCOMPARE(s.available().size(), 20); // the catalogue entries stay

        s.setDelay(0, 7); // the new delay in the entry's text, its number beside it
        const QString file = env.path("Effects2.txt");
        QVERIFY(s.writeSelection(file));
        QCOMPARE(QString::fromUtf8(test::readFile(file)),
                 QStringLiteral("0003) Style 3 [7], 103\n0012) Style 12 [25], 112\n"
                                "0012) Style 12 [30], 112\n"));
        QCOMPARE(s.selectedCount(), 3);

        // Round trip: read back in text order with the numbers beside the texts.
        WipeSelection again = selectionOf({});
        again.readSelection(file);
        QCOMPARE(again.selected().size(), 3);
        QCOMPARE(again.selected()[2].pattern, 112);
        QCOMPARE(again.selected()[2].text, QStringLiteral("0012) Style 12 [30]"));

        // Select All moves every catalogue entry over, without a delay; Deselect All empties.
        again.selectAll();
        QVERIFY(again.available().isEmpty());
        QCOMPARE(again.selected().size(), 23);
        again.setDelay(1, 50); // an entry without brackets gets them
        QVERIFY(again.selected().first().text.contains("[50]") ||
                again.selected()[1].text.contains("[50]"));
        again.deselectAll();
        QVERIFY(again.selected().isEmpty() && again.available().isEmpty());
        QVERIFY(again.writeSelection(file));
        QCOMPARE(QString::fromUtf8(test::readFile(file)), QString());
    }

    void choosingInOrder() {
        WipeChooser chooser;
        const WipeSelection one = selectionOf({"0004) Style 4 [9], 104"});
        for (int i = 0; i < 3; ++i) {
            const auto c = chooser.next(one, false, {});
            QCOMPARE(c.pattern, 104);
            QCOMPARE(*c.delay, 9);
        }
        // Three in order: from position 0 the second, third, first, second ...; an entry without
        // brackets runs with 5.
        const WipeSelection three = selectionOf(
            {"0001) Style 1, 101", "0002) Style 2 [20], 102", "0003) Style 3 [30], 103"});
        WipeChooser ordered;
        QList<int> patterns, delays;
        for (int i = 0; i < 4; ++i) {
            const auto c = ordered.next(three, false, {});
            patterns << c.pattern;
            delays << *c.delay;
        }
        QCOMPARE(patterns, (QList<int>{102, 103, 101, 102}));
        QCOMPARE(delays, (QList<int>{20, 30, 5, 20}));
        // Nothing selected: no pattern.
        QCOMPARE(WipeChooser().next(selectionOf({}), false, {}).pattern, 0);
        QCOMPARE(WipeChooser().next(selectionOf({}), true, [] { return 0.5; }).pattern, 0);
    }

    void choosingAtRandom() {
        const WipeSelection three =
            selectionOf({"0001) Style 1, 101", "0002) Style 2, 102", "0003) Style 3, 103"});
        WipeChooser c;
        // (3 - 1) * r, halves to even: 0.25 -> 0.5 -> 0, 0.75 -> 1.5 -> 2, 0.5 -> 1.
        QCOMPARE(c.next(three, true, [] { return 0.25; }).pattern, 101);
        QCOMPARE(c.next(three, true, [] { return 0.26; }).pattern, 102);
        QCOMPARE(c.next(three, true, [] { return 0.75; }).pattern, 103);
        QCOMPARE(c.next(three, true, [] { return 0.5; }).pattern, 102);
        QCOMPARE(c.next(three, true, [] { return 0.999; }).pattern, 103);
        // Positions past the end give no pattern: entries removed since the list was read.
        WipeSelection shrunk = three;
        shrunk.remove(2);
        shrunk.remove(1);
        QCOMPARE(c.next(shrunk, true, [] { return 0.9; }).pattern, 0);
        // Past position 1971 no pattern is used, even when the entry is there.
        QStringList many;
        for (int i = 0; i < 1980; ++i)
            many << QStringLiteral("%1) S, %2").arg(i, 4, 10, QLatin1Char('0')).arg(i + 1);
        const WipeSelection big = selectionOf(many, 2000);
        QCOMPARE(c.next(big, true, [] { return 1971.0 / 1979; }).pattern, 1972);
        QCOMPARE(c.next(big, true, [] { return 1972.0 / 1979; }).pattern, 0);
    }

    void prompts() {
        test::TestEnv env;
        test::ScriptedPromptService prompts;
        Settings settings(env.configFile(), &prompts);
        SlideshowValues values;
        const QString grainTitle = QStringLiteral("TRANSITIONAL EFFECT GRAIN SIZE");
        const QString delayTitle = QStringLiteral("TRANSITIONAL EFFECT DELAY");
        // What cannot be used is refused, naming the value in force, and asked again.
        prompts.expectInput(grainTitle, "0")
            .expectMessage("WARNING")
            .expectInput(grainTitle, "16")
            .expectInput(grainTitle, "")
            .expectInput(grainTitle, "abc")
            .expectMessage("WARNING")
            .expectInput(grainTitle, "");
        QCOMPARE(*PromptEffectGrain(settings, prompts, values), 16);
        QCOMPARE(prompts.asked().at(1).text,
                 QStringLiteral("\"0\" cannot be used: the grain is a whole number of pixels "
                                "from 1 to 256.\n\nThe grain stays 0 pixels."));
        QCOMPARE(prompts.asked().at(2).defaultText, QStringLiteral("0"));
        QVERIFY(!PromptEffectGrain(settings, prompts, values)); // empty: nothing changes
        QCOMPARE(prompts.asked().last().defaultText, QStringLiteral("16"));
        QVERIFY(!PromptEffectGrain(settings, prompts, values));
        QCOMPARE(settings.storedText("Slide Show", "EffectGrain"), QStringLiteral("16"));
        QCOMPARE(values.EffectGrain, 16);

        // A first use offers the value in force, 0, not an empty box.
        prompts.expectInput(delayTitle, "-5")
            .expectMessage("WARNING")
            .expectInput(delayTitle, "40");
        QCOMPARE(*PromptEffectDelay(settings, prompts, values), 40);
        QCOMPARE(prompts.asked().at(prompts.asked().size() - 3).defaultText, QStringLiteral("0"));
        QVERIFY(prompts.asked().at(prompts.asked().size() - 2).text.contains("stays 0 milli"));
        QCOMPARE(settings.storedText("Slide Show", "EffectDelay"), QStringLiteral("40"));
        QCOMPARE(values.EffectDelay, 40);

        prompts.expectInput("SLIDESHOW INTERVAL", "abc")
            .expectMessage("WARNING")
            .expectInput("SLIDESHOW INTERVAL", "7")
            .expectInput("SLIDESHOW INTERVAL", "");
        QCOMPARE(*PromptSlideInterval(settings, prompts, values), 7);
        QVERIFY(!PromptSlideInterval(settings, prompts, values));
        QCOMPARE(prompts.asked().last().defaultText, QStringLiteral("7"));
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Enter Interval (seconds):"));
        QCOMPARE(values.SlideInterval, 7);
    }
};

QTEST_GUILESS_MAIN(TstWipePatterns)
#include "tst_wipepatterns.moc"
