#include "common/PreviewFit.h"

#include "common/Text.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"

#include <QtConcurrent/QtConcurrentRun>

namespace q32 {

QRect PreviewPlace(const QSize& picture, const QSize& frame) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    const float r = float(w) / float(h);
    const int fw = frame.width();
    const int fh = frame.height();
    auto round = [](double v) { return int(RoundHalfEven(v)); };
    if (w > h) {
        if (w < fw)
            return {round((fw - w) * 0.5), round((fh - h) * 0.5), w, h};
        const double height = fw / double(r);
        return {0, round((fh - height) * 0.5 - 3), fw, round(height)};
    }
    if (h < fh)
        return {round((fw - w) * 0.5), round((fh - h) * 0.5), w, h};
    const double width = double(r) * fh;
    return {round((fw - width) * 0.5), 0, round(width), fh};
}

QImage DecodeFitted(const QString& path, const QSize& frame, QSize* pictureSize,
                    ImagingCondition* condition) {
    ImageInfo info;
    QImage image;
    ImagingCondition c = ReadImageInfo(path, info);
    if (c == ImagingCondition::None) {
        const QSize fitted = PreviewPlace(info.displaySize(), frame).size();
        c = LoadImage(path, image, LoadOptions{fitted, false, 0, true});
        if (c != ImagingCondition::None)
            image = QImage();
    }
    if (pictureSize)
        *pictureSize = info.displaySize();
    if (condition)
        *condition = c;
    return image;
}

FittedPicture DecodeFittedBytes(const QByteArray& bytes, const QSize& frame) {
    FittedPicture out;
    const imaging::InMemoryFile file("quillon-preview", bytes);
    if (bytes.isEmpty() || !file.ok())
        out.condition = ImagingCondition::Failure;
    else
        out.image = DecodeFitted(file.path(), frame, &out.pictureSize, &out.condition);
    return out;
}

QFuture<FittedPicture> DecodeFittedInBackground(const QString& path, const QSize& frame) {
    return QtConcurrent::run([path, frame] {
        FittedPicture out;
        out.image = DecodeFitted(path, frame, &out.pictureSize, &out.condition);
        return out;
    });
}

} // namespace q32
