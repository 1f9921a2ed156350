#pragma once
// A still picture made ready for the viewer off the interface thread, from its bytes: decoded
// at the size it is shown, laid out on the viewer's area, and, for a slideshow, the transition
// that brings it in built ahead, so the show only has to paint.

#include "platform/imaging/ImagingCondition.h"
#include "viewer/TransitionRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>
#include <memory>

namespace q32 {

struct PreparedSlide {
    QByteArray bytes;      // the picture's file, kept for printing
    bool animated = false; // plays as a GIF does: only bytes are set
    ImagingCondition condition = ImagingCondition::None;
    QSize natural;    // the picture's own size
    QRectF placement; // where it goes on the area
    QImage frame;     // the whole area as it looks with the picture shown (RGB32)
    std::shared_ptr<const TransitionRenderer> renderer; // null: no transition
};

// Decodes the picture file's bytes and lays it out on an area of the given size (placed as
// PicturePlacement does, on a screen screenHeight high); no bytes give FileNotFound. Safe on any
// thread.
PreparedSlide PrepareSlide(const QByteArray& bytes, QSize area, bool fit,
                           const Transition& transition, int screenHeight);

// The area with a record's thumbnail fitted where its picture of size standsFor will be, while
// the picture is decoded.
QImage ThumbnailSlide(const QImage& thumbnail, QSize standsFor, QSize area, int screenHeight);

} // namespace q32
