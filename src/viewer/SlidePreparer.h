#pragma once
// A still picture made ready for the viewer off the interface thread: decoded at the size it
// is shown, laid out on the viewer's area, and, for a slideshow, the transition that brings it
// in built ahead, so the show only has to paint.

#include "platform/imaging/ImagingCondition.h"
#include "viewer/TransitionRenderer.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <memory>

namespace q32 {

struct PreparedSlide {
    QString file;
    ImagingCondition condition = ImagingCondition::None;
    QSize natural;    // the picture's own size
    QRectF placement; // where it goes on the area
    QImage frame;     // the whole area as it looks with the picture shown (RGB32)
    std::shared_ptr<const TransitionRenderer> renderer; // null: no transition
};

// Decodes file and lays it out on an area of the given size. Safe on any thread.
PreparedSlide PrepareSlide(const QString& file, QSize area, bool fit, const Transition& transition);

} // namespace q32
