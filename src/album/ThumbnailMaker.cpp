#include "album/ThumbnailMaker.h"

#include "album/AlbumThumbnails.h"
#include "album/FormatTable.h"
#include "album/PictureHashes.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

namespace q32 {
namespace {

QByteArray encode(const QImage& picture) {
    if (picture.isNull())
        return {};
    // JPEG has no alpha: transparent parts show on white, as on the printed contact sheet.
    QImage flat(picture.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(80);
    return writer.write(flat) ? jpeg : QByteArray();
}

} // namespace

bool CanMakeThumbnail(const QString& formatText) {
    return !IsClipFormat(formatText);
}

namespace {

// The picture at path at most a thumbnail's size; null when there is none to show small.
QImage smallPicture(const QString& path, const QString& formatText, bool decode) {
    if (IsClipFormat(formatText))
        return {};
    const QSize box(kThumbnailEdge, kThumbnailEdge);
    // A camera's own preview, else the picture decoded small. A preview smaller than a
    // thumbnail would show blurred.
    QImage picture = ReadEmbeddedThumbnail(path).value_or(QImage());
    if (std::max(picture.width(), picture.height()) < kThumbnailEdge) {
        if (!decode)
            return {};
        if (LoadImage(path, picture, LoadOptions{box, false, 0, true}) != ImagingCondition::None)
            return {};
    }
    // A codec that cannot decode small gives the whole picture.
    if (picture.width() > kThumbnailEdge || picture.height() > kThumbnailEdge)
        picture = picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

} // namespace

QByteArray MakeThumbnail(const QString& path, const QString& formatText, bool decode,
                         std::optional<quint64>* pictureHash) {
    const QImage picture = smallPicture(path, formatText, decode);
    if (pictureHash)
        *pictureHash = PerceptualHash(picture);
    return encode(picture);
}

QByteArray MakeThumbnailFromBytes(const QByteArray& bytes, const QString& formatText) {
    if (bytes.isEmpty() || IsClipFormat(formatText))
        return {};
    const imaging::InMemoryFile file("quillon-thumbnail", bytes);
    return file.ok() ? MakeThumbnail(file.path(), formatText) : QByteArray();
}

std::optional<quint64> PictureHashFromBytes(const QByteArray& bytes, const QString& formatText) {
    if (bytes.isEmpty() || IsClipFormat(formatText))
        return std::nullopt;
    const imaging::InMemoryFile file("quillon-picture-hash", bytes);
    return file.ok() ? PerceptualHash(smallPicture(file.path(), formatText, true)) : std::nullopt;
}

} // namespace q32
