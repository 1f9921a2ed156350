#include "viewer/SlidePreparer.h"

#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "viewer/ViewerLayout.h"

#include <QPainter>

namespace q32 {

PreparedSlide PrepareSlide(const QByteArray& bytes, QSize area, bool fit,
                           const Transition& transition, int screenHeight) {
    PreparedSlide slide;
    slide.bytes = bytes;
    if (bytes.isEmpty()) {
        slide.condition = ImagingCondition::FileNotFound;
        return slide;
    }
    const imaging::InMemoryFile memory("quillon-slide", bytes);
    const QString file = memory.path();
    ImageInfo info;
    slide.condition = memory.ok() ? ReadImageInfo(file, info) : ImagingCondition::Failure;
    if (slide.condition != ImagingCondition::None)
        return slide;
    slide.natural = info.displaySize();
    slide.placement = PicturePlacement(slide.natural, area, fit, screenHeight);
    // Decode no more pixels than the screen shows: a 24-megapixel photo fitted to the screen is
    // scaled inside the decoder.
    const QSize shown = slide.placement.size().toSize();
    QImage picture;
    LoadOptions options;
    if (fit)
        options = LoadOptions{shown, true, 0, true};
    slide.condition = LoadImage(file, picture, options);
    if (slide.condition != ImagingCondition::None)
        return slide;
    slide.frame = QImage(area, QImage::Format_RGB32);
    slide.frame.fill(Qt::black);
    {
        QPainter p(&slide.frame);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (picture.size() == shown)
            p.drawImage(slide.placement.topLeft(), picture);
        else
            p.drawImage(slide.placement, picture);
    }
    if (transition.style != 0)
        slide.renderer = std::make_shared<TransitionRenderer>(transition, area);
    return slide;
}

QImage ThumbnailSlide(const QImage& thumbnail, QSize standsFor, QSize area, int screenHeight) {
    QImage frame(area, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter p(&frame);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(PicturePlacement(standsFor, area, true, screenHeight), thumbnail);
    return frame;
}

} // namespace q32
