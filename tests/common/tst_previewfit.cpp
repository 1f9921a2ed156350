// Fitting a picture into the preview frame.

#include "common/PreviewFit.h"

#include <QTest>

using namespace q32;

class TestPreviewFit : public QObject {
    Q_OBJECT
private slots:
    void fit_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("expected");
        const QSize frame(240, 180);
        QTest::newRow("small landscape centred")
            << QSize(100, 50) << frame << QRect(70, 65, 100, 50);
        QTest::newRow("odd margins round to even")
            << QSize(101, 51) << frame << QRect(70, 64, 101, 51);
        QTest::newRow("wide landscape fills width, 3 above centre")
            << QSize(4000, 3000) << frame << QRect(0, -3, 240, 180);
        QTest::newRow("panorama") << QSize(1200, 300) << frame << QRect(0, 57, 240, 60);
        QTest::newRow("landscape as wide as frame")
            << QSize(240, 100) << frame << QRect(0, 37, 240, 100);
        QTest::newRow("small portrait centred")
            << QSize(60, 100) << frame << QRect(90, 40, 60, 100);
        QTest::newRow("tall portrait at top edge")
            << QSize(300, 600) << frame << QRect(75, 0, 90, 180);
        QTest::newRow("square as tall as frame")
            << QSize(180, 180) << frame << QRect(30, 0, 180, 180);
        // Only the width is fitted: a nearly square picture overflows a wide, low frame.
        QTest::newRow("near square in low frame")
            << QSize(500, 480) << QSize(400, 100) << QRect(0, -145, 400, 384);
        QTest::newRow("empty picture") << QSize(0, 0) << frame << QRect();
    }
    void fit() {
        QFETCH(QSize, picture);
        QFETCH(QSize, frame);
        QFETCH(QRect, expected);
        QCOMPARE(PreviewPlace(picture, frame), expected);
    }
};

QTEST_GUILESS_MAIN(TestPreviewFit)
#include "tst_previewfit.moc"
