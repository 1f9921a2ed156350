#include "output/print/PrintRender.h"

#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "platform/printer/PageOutput.h"

#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace q32 {
namespace {

constexpr qint64 kBandBytes = qint64(4) << 20;

} // namespace

QString PrintPicture::title() const {
    if (!description.trimmed().isEmpty())
        return description.trimmed();
    if (!path.isEmpty())
        return QFileInfo(path).fileName();
    if (!name.isEmpty())
        return QFileInfo(name).fileName();
    return QStringLiteral("Quillon 32");
}

ImagingCondition DecodePrintPicture(const PrintPicture& picture, QImage& pixels,
                                    const LoadOptions& options, ImageInfo* info) {
    if (picture.bytes.isEmpty())
        return LoadImage(picture.path, pixels, options, info);
    const imaging::InMemoryFile file("quillon-print", picture.bytes);
    return file.ok() ? LoadImage(file.path(), pixels, options, info) : ImagingCondition::Failure;
}

QString LoadPrintPicture(const PrintPicture& picture, QImage& pixels) {
    if (!picture.image.isNull()) {
        pixels = picture.image;
        return {};
    }
    const ImagingCondition c = DecodePrintPicture(picture, pixels);
    if (c != ImagingCondition::None)
        return ConditionText(c) + QStringLiteral(" (") +
               QFileInfo(picture.path.isEmpty() ? picture.name : picture.path).fileName() +
               QLatin1Char(')');
    return {};
}

PrintOutcome DrawPictureBands(QPainter& painter, QImage pixels, const QRectF& target, bool dither,
                              const PrintProgress& progress) {
    // Whole dots, so neighbouring bands meet exactly.
    const int x0 = int(std::lround(target.left()));
    const int y0 = int(std::lround(target.top()));
    const int width = int(std::lround(target.left() + target.width())) - x0;
    const int height = int(std::lround(target.top() + target.height())) - y0;
    if (width <= 0 || height <= 0 || pixels.isNull())
        return {};

    const Qt::ImageConversionFlags flags =
        dither ? Qt::DiffuseDither | Qt::DiffuseAlphaDither | Qt::PreferDither
               : Qt::ThresholdDither | Qt::ThresholdAlphaDither | Qt::AvoidDither;
    QImage source = std::move(pixels);
    if (source.format() != QImage::Format_RGB32 &&
        source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(
            source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
            flags);
    // Shrinking averages whole areas once; the bands' own bilinear steps would lose detail to
    // aliasing. Enlarging is left to the bands, so memory never grows with the page.
    if (qint64(width) * height < qint64(source.width()) * source.height())
        source = source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (progress.stopped())
        return {{}, true};

    const int rows = int(std::clamp<qint64>(kBandBytes / (qint64(width) * 4), 16, height));
    for (int top = 0; top < height; top += rows) {
        if (progress.stopped())
            return {{}, true};
        const int bandHeight = std::min(rows, height - top);
        // One row of overlap with the next band hides any seam a viewer might draw between
        // two images.
        const int overlap = top + bandHeight < height ? 1 : 0;
        QImage band(width, bandHeight + overlap, QImage::Format_RGB32);
        band.fill(Qt::white); // transparent parts print as paper
        {
            QPainter bandPainter(&band);
            bandPainter.setRenderHint(QPainter::SmoothPixmapTransform);
            bandPainter.drawImage(QRectF(0, -top, width, height), source);
        }
        painter.drawImage(QPointF(x0, y0 + top), band);
        progress.report(int(qint64(top + bandHeight) * 100 / height));
    }
    return {};
}

PrintOutcome PrintPictureOn(PageOutput& output, const PrintPicture& picture, const QRectF& target,
                            bool dither, const PrintProgress& progress) {
    QImage pixels;
    if (QString error = LoadPrintPicture(picture, pixels); !error.isEmpty())
        return {error};
    if (progress.stopped())
        return {{}, true};
    if (QString error = output.open(); !error.isEmpty())
        return {error};
    PrintOutcome outcome;
    QPainter painter;
    if (!painter.begin(output.device())) {
        output.finish(true);
        return {QStringLiteral("The page could not be started.")};
    }
    outcome = DrawPictureBands(painter, std::move(pixels), target, dither, progress);
    painter.end();
    const QString handOn = output.finish(!outcome.ok());
    if (outcome.ok() && !handOn.isEmpty())
        outcome.error = handOn;
    return outcome;
}

} // namespace q32
