#include "viewer/CaptionSettings.h"

#include "common/Settings.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace q32 {
namespace {

// Unset, the box holds white text on black in the desktop's font, one line high.
constexpr int kDefaultFontSize = 14;
constexpr int kLineMargin = 12; // the box's frame and inner margins around a line

} // namespace

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
    c.fontName = s.get(key::CaptionFontName);
    if (c.fontName.isEmpty())
        c.fontName = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    c.fontSize = s.get(key::CaptionFontSize);
    if (c.fontSize <= 0)
        c.fontSize = kDefaultFontSize;
    c.bold = s.get(key::CaptionFontBold);
    c.italic = s.get(key::CaptionFontItalic);
    c.borderStyle = s.get(key::CaptionBorderStyle);
    c.foreColor = s.get(key::CaptionForeColor);
    c.backColor = s.get(key::CaptionBackColor);
    // Text in the colour of its box could not be read: it takes black or white, whichever
    // stands out.
    if (c.foreColor == c.backColor)
        c.foreColor = c.backColor.lightnessF() > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    c.left = s.get(key::CaptionLeft);
    c.top = s.get(key::CaptionTop);
    c.width = s.get(key::CaptionWidth);
    c.height = s.get(key::CaptionHeight);
    if (c.height <= 0)
        c.height = QFontMetrics(c.font()).height() + kLineMargin;
    if (c.width == 0) {
        c.width = screenWidth;
        s.set(key::CaptionWidth, c.width);
    }
    return c;
}

void StoreCaptionProperties(Settings& s, const CaptionProperties& c) {
    s.set(key::CaptionFontName, c.fontName);
    s.set(key::CaptionFontSize, c.fontSize);
    s.set(key::CaptionFontBold, c.bold);
    s.set(key::CaptionFontItalic, c.italic);
    s.set(key::CaptionBorderStyle, c.borderStyle);
    s.set(key::CaptionForeColor, c.foreColor);
    s.set(key::CaptionBackColor, c.backColor);
    s.set(key::CaptionLeft, c.left);
    s.set(key::CaptionTop, c.top);
    s.set(key::CaptionWidth, c.width);
    s.set(key::CaptionHeight, c.height);
}

} // namespace q32
