// The transition renderer over the whole shipped catalogue.
#include "viewer/EffectsCatalogue.h"
#include "viewer/TransitionCatalogue.h"
#include "viewer/TransitionRenderer.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

using namespace q32;

class TstTransitions : public QObject {
    Q_OBJECT
    QList<int> m_numbers;

    static bool same(const QImage& a, const QImage& b) {
        return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() {
        QFile file(qEnvironmentVariable("QUILLON_SOURCE_DIR") + "/data/share/Effects.txt");
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(file.readAll());
        // The shipped file is what the catalogue gives; rewrite it with bench/viewer's tool.
        QCOMPARE(text, EffectsCatalogueText());
        const QRegularExpression format(QStringLiteral("^(\\d{4}),([^,]+),(\\d+)$"));
        int entry = 0;
        for (const QString& l : text.split('\n', Qt::SkipEmptyParts)) {
            const auto m = format.match(l);
            QVERIFY2(m.hasMatch(), qPrintable(l));
            QCOMPARE(m.captured(1).toInt(), entry++);
            m_numbers << m.captured(3).toInt();
        }
        QVERIFY2(m_numbers.size() >= 1000, qPrintable(QString::number(m_numbers.size())));
    }

    // Old picture at 0, new at 1, something of both on the way.
    void endsAndMiddle() {
        const QSize size(120, 70);
        const QImage from = NoisePicture(size, 1), to = NoisePicture(size, 2);
        QImage frame;
        for (int n : m_numbers) {
            const TransitionStyle& style = TransitionStyleFor(n);
            const TransitionRenderer r({n, 1, 10}, size);
            r.render(from, to, 0, frame);
            QVERIFY2(same(frame, from), qPrintable(style.name));
            r.render(from, to, 1, frame);
            QVERIFY2(same(frame, to), qPrintable(style.name));
            for (double p : {0.3, 0.5, 0.7}) {
                r.render(from, to, p, frame);
                QVERIFY2(!same(frame, from) && !same(frame, to), qPrintable(style.name));
                if (style.kind != TransitionKind::Mask)
                    continue;
                int old = 0, fresh = 0;
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x) {
                        old += frame.pixel(x, y) == from.pixel(x, y);
                        fresh += frame.pixel(x, y) == to.pixel(x, y);
                    }
                QVERIFY2(old > 0 && fresh > 0 && old + fresh == size.width() * size.height(),
                         qPrintable(style.name));
            }
        }
    }

    // No two entries paint the same frames, at a size the catalogue was not sorted at.
    void allDistinct() {
        QHash<QByteArray, int> seen;
        for (int n : m_numbers) {
            const QByteArray s = TransitionSignature(n, QSize(100, 56), 1);
            QVERIFY2(!seen.contains(s), qPrintable(TransitionStyleFor(n).name + " = " +
                                                   TransitionStyleFor(seen.value(s)).name));
            seen.insert(s, n);
        }
    }

    // Grains 1, 8 and 256, and a picture smaller than one cell.
    void everyGrain() {
        for (const QSize size : {QSize(333, 201), QSize(7, 5)}) {
            const QImage from = NoisePicture(size, 3), to = NoisePicture(size, 4);
            QImage frame;
            for (int n : m_numbers)
                for (int grain : {1, 8, 256, 0}) {
                    const TransitionRenderer r({n, grain, 5}, size);
                    r.render(from, to, 0.5, frame);
                    QCOMPARE(frame.size(), size);
                    r.render(from, to, 1, frame);
                    QVERIFY2(same(frame, to), qPrintable(TransitionStyleFor(n).name));
                }
        }
    }

    // Directions land where their names say; grain makes square cells.
    void knownFrames() {
        const QSize size(40, 20);
        QImage from(size, QImage::Format_RGB32), to(size, QImage::Format_RGB32), frame;
        from.fill(Qt::black);
        to.fill(Qt::white);
        auto numberOf = [](const QString& name) {
            for (const auto& s : TransitionStyles())
                if (s.name == name)
                    return s.number;
            return 0;
        };
        TransitionRenderer({numberOf("Wipe (from right)"), 1, 0}, size)
            .render(from, to, 0.5, frame);
        QCOMPARE(frame.pixel(39, 10), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(0, 10), qRgb(0, 0, 0));
        TransitionRenderer({numberOf("Wipe (from top)"), 1, 0}, size).render(from, to, 0.25, frame);
        QCOMPARE(frame.pixel(20, 2), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(20, 12), qRgb(0, 0, 0));
        TransitionRenderer({numberOf("Push left"), 1, 0}, size).render(from, to, 0.25, frame);
        QCOMPARE(frame.pixel(35, 5), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(25, 5), qRgb(0, 0, 0));
        TransitionRenderer({numberOf("Iris - circle at middle (opening)"), 10, 0}, size)
            .render(from, to, 0.3, frame);
        QCOMPARE(frame.pixel(20, 10), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(0, 0), qRgb(0, 0, 0));
        // Cells of grain 10: the 10 x 10 square around (25, 5) is one colour.
        for (double p = 0.05; p < 1; p += 0.1) {
            TransitionRenderer({numberOf("Dissolve"), 10, 0}, size).render(from, to, p, frame);
            for (int y = 0; y < 10; ++y)
                for (int x = 20; x < 30; ++x)
                    QCOMPARE(frame.pixel(x, y), frame.pixel(20, 0));
        }
        // Unknown numbers cut.
        TransitionRenderer({999999, 1, 0}, size).render(from, to, 0.1, frame);
        QVERIFY(same(frame, to));
    }
};

QTEST_GUILESS_MAIN(TstTransitions)
#include "tst_transitions.moc"
