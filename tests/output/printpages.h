#pragma once
// What the printing tests share: a generated picture of four coloured quarters, and looking at
// a printed PDF the way a person would, as rendered pixels.

#include <QDebug>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRect>
#include <QString>

namespace q32::test {

inline const QRgb kQuarters[4] = {qRgb(220, 30, 30), qRgb(30, 160, 60), qRgb(40, 60, 200),
                                  qRgb(240, 210, 40)};

inline QImage FourQuarters(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, QColor(kQuarters[0]));
    p.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(kQuarters[1]));
    p.fillRect(0, h / 2, w / 2, h - h / 2, QColor(kQuarters[2]));
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(kQuarters[3]));
    return img;
}

inline bool Near(QRgb a, QRgb b, int tolerance) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Page page (1-based) of a PDF as pdftoppm draws it at dpi.
inline QImage RenderPage(const QString& pdf, int dpi, const QString& workDir, int page = 1) {
    const QString stem = workDir + QStringLiteral("/page%1").arg(page);
    const QString n = QString::number(page);
    QProcess p;
    p.start("pdftoppm",
            {"-r", QString::number(dpi), "-f", n, "-l", n, "-png", "-singlefile", pdf, stem});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle holding every pixel that is not paper.
inline QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (!Near(line[x], qRgb(255, 255, 255), 40))
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// Whether found matches asked within two pixels on every edge, and each quarter of the
// picture shows its colour; why not, in why.
inline bool PictureAt(const QImage& page, const QRectF& asked, QString* why) {
    const QRect found = InkBox(page);
    const auto within = [](double a, double b) { return qAbs(a - b) <= 2.0; };
    if (!within(found.left(), asked.left()) || !within(found.top(), asked.top()) ||
        !within(found.right() + 1, asked.right()) || !within(found.bottom() + 1, asked.bottom())) {
        QDebug(why) << "asked" << asked << "found" << found;
        return false;
    }
    for (int q = 0; q < 4; ++q) {
        const QPoint middle(int(asked.left() + asked.width() * (q % 2 ? 0.75 : 0.25)),
                            int(asked.top() + asked.height() * (q / 2 ? 0.75 : 0.25)));
        const QRgb seen = page.pixel(middle);
        if (!Near(seen, kQuarters[q], 12)) {
            *why = QStringLiteral("quarter %1 is #%2").arg(q).arg(seen & 0xffffff, 6, 16);
            return false;
        }
    }
    return true;
}

} // namespace q32::test
