#pragma once
// The look of the viewer's annotation box, kept under "ImageCaption" in the settings.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

namespace q32 {

class Settings;

struct CaptionProperties {
    QString fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    int borderStyle = 0; // 0 no border, 1 border
    QColor foreColor{Qt::white};
    QColor backColor{Qt::black};
    int left = 0, top = 0, width = 0, height = 0;

    QRect geometry() const { return {left, top, width, height}; }
    QFont font() const;
};

// Reads the setting; a width of 0 becomes the screen width, which is stored at once. Unset
// colours, font, size and height read as white on black in the desktop's font, one line high.
CaptionProperties GetCaptionProperties(Settings& settings, int screenWidth);
void StoreCaptionProperties(Settings& settings, const CaptionProperties& caption);

} // namespace q32
