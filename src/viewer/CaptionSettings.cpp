#include "viewer/CaptionSettings.h"

#include "common/Settings.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace q32 {
namespace {

const QString kSection = QStringLiteral("ImageCaption");

QString flag(bool on) {
    return on ? QStringLiteral("-1") : QStringLiteral("0");
}

// Unset, the box holds white text on black in the desktop's font, one line high.
constexpr int kDefaultFontSize = 14;
constexpr int kLineMargin = 12; // the box's frame and inner margins around a line

QColor StoredColour(Settings& s, const QString& name, const QColor& unset) {
    const QString text = s.RegGetString(kSection, name);
    return text.isEmpty() ? unset : ColourFromNumber(qint64(s.number(kSection, name)));
}

} // namespace

QColor ColourFromNumber(qint64 n) {
    return QColor(int(n & 0xff), int((n >> 8) & 0xff), int((n >> 16) & 0xff));
}

qint64 NumberFromColour(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * qint64(c.blue());
}

QFont CaptionProperties::font() const {
    QFont f(fontName);
    if (fontSize > 0)
        f.setPointSize(fontSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

CaptionProperties GetCaptionProperties(Settings& s, int screenWidth) {
    CaptionProperties c;
    c.fontName = s.RegGetString(kSection, QStringLiteral("CaptionFontName"));
    if (c.fontName.isEmpty())
        c.fontName = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    c.fontSize = s.integer(kSection, QStringLiteral("CaptionFontSize"));
    if (c.fontSize <= 0)
        c.fontSize = kDefaultFontSize;
    c.bold = s.integer(kSection, QStringLiteral("CaptionFontBold")) != 0;
    c.italic = s.integer(kSection, QStringLiteral("CaptionFontItalic")) != 0;
    c.borderStyle = s.integer(kSection, QStringLiteral("CaptionBorderStyle"));
    c.foreColor = StoredColour(s, QStringLiteral("CaptionForeColor"), Qt::white);
    c.backColor = StoredColour(s, QStringLiteral("CaptionBackColor"), Qt::black);
    // Text in the colour of its box could not be read: it takes black or white, whichever
    // stands out.
    if (c.foreColor == c.backColor)
        c.foreColor = c.backColor.lightnessF() > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    c.left = s.integer(kSection, QStringLiteral("CaptionLeft"));
    c.top = s.integer(kSection, QStringLiteral("CaptionTop"));
    c.width = s.integer(kSection, QStringLiteral("CaptionWidth"));
    c.height = s.integer(kSection, QStringLiteral("CaptionHeight"));
    if (c.height <= 0)
        c.height = QFontMetrics(c.font()).height() + kLineMargin;
    if (c.width == 0) {
        c.width = screenWidth;
        s.RegPutString(kSection, QStringLiteral("CaptionWidth"), QString::number(c.width));
    }
    return c;
}

void StoreCaptionProperties(Settings& s, const CaptionProperties& c) {
    s.RegPutString(kSection, QStringLiteral("CaptionFontName"), c.fontName);
    s.RegPutString(kSection, QStringLiteral("CaptionFontSize"), QString::number(c.fontSize));
    s.RegPutString(kSection, QStringLiteral("CaptionFontBold"), flag(c.bold));
    s.RegPutString(kSection, QStringLiteral("CaptionFontItalic"), flag(c.italic));
    s.RegPutString(kSection, QStringLiteral("CaptionBorderStyle"), QString::number(c.borderStyle));
    s.RegPutString(kSection, QStringLiteral("CaptionForeColor"),
                   QString::number(NumberFromColour(c.foreColor)));
    s.RegPutString(kSection, QStringLiteral("CaptionBackColor"),
                   QString::number(NumberFromColour(c.backColor)));
    s.RegPutString(kSection, QStringLiteral("CaptionLeft"), QString::number(c.left));
    s.RegPutString(kSection, QStringLiteral("CaptionTop"), QString::number(c.top));
    s.RegPutString(kSection, QStringLiteral("CaptionWidth"), QString::number(c.width));
    s.RegPutString(kSection, QStringLiteral("CaptionHeight"), QString::number(c.height));
}

} // namespace q32
