#include "album/add/ThumbnailMaker.h"

#include "album/AlbumMedia.h"
#include "album/AlbumThumbnails.h"
#include "album/PictureHashes.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <cstring>

namespace q32 {
namespace {

const QString kLengthKey = QStringLiteral("Length");

QByteArray encode(const QImage& picture, qint64 clipLengthMs = -1) {
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
    // A JPEG comment: the thumbnail table keeps its two fields, and older albums' clips get
    // their length with their frame.
    if (clipLengthMs >= 0)
        writer.setText(kLengthKey, QString::number(clipLengthMs));
    return writer.write(flat) ? jpeg : QByteArray();
}

QByteArray clipThumbnail(const std::optional<ClipFrame>& frame) {
    if (!frame)
        return kNoClipFrame;
    const QByteArray jpeg = encode(frame->image, frame->durationMs);
    return jpeg.isEmpty() ? kNoClipFrame : jpeg;
}

} // namespace

QByteArray MakeClipThumbnail(qint64 size, const ClipReader& read, const std::atomic_bool* stop) {
    const std::optional<ClipFrame> frame =
        TakeClipFrame(size, read, QSize(kThumbnailEdge, kThumbnailEdge), stop);
    if (!frame && stop && *stop)
        return {};
    return clipThumbnail(frame);
}

QByteArray MakeStoredClipThumbnail(AlbumDb& album, qint64 rowId, const std::atomic_bool* stop) {
    BlobFieldReader field(album, rowId, PictureField::Image);
    if (field.size() <= 0)
        return kNoClipFrame;
    return MakeClipThumbnail(
        field.size(),
        [&field](char* data, qint64 length, qint64 offset) {
            return field.read(data, length, offset);
        },
        stop);
}

std::optional<qint64> ClipLengthOfThumbnail(const QByteArray& jpeg) {
    if (jpeg.isEmpty() || jpeg == kNoClipFrame)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    bool ok = false;
    const qint64 ms = reader.text(kLengthKey).toLongLong(&ok);
    return ok && ms >= 0 ? std::optional<qint64>(ms) : std::nullopt;
}

std::optional<qint64> ClipLengthOfImage(const QImage& thumbnail) {
    bool ok = false;
    const qint64 ms = thumbnail.text(kLengthKey).toLongLong(&ok);
    return ok && ms >= 0 ? std::optional<qint64>(ms) : std::nullopt;
}

bool WantsClipFrame(const QByteArray& stored, const QString& formatText) {
    return stored.isEmpty() && IsClipFormat(formatText);
}

namespace {

// The picture at path at most a thumbnail's size; null when there is none to show small.
QImage smallPicture(const QString& path, bool decode) {
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
    if (IsClipFormat(formatText))
        return clipThumbnail(TakeClipFrame(path, QSize(kThumbnailEdge, kThumbnailEdge)));
    const QImage picture = smallPicture(path, decode);
    if (pictureHash)
        *pictureHash = PerceptualHash(picture);
    return encode(picture);
}

QByteArray MakeThumbnailFromBytes(const QByteArray& bytes, const QString& formatText) {
    if (bytes.isEmpty())
        return {};
    if (IsClipFormat(formatText))
        return MakeClipThumbnail(bytes.size(), [&](char* data, qint64 length, qint64 offset) {
            const qint64 n = std::clamp<qint64>(bytes.size() - offset, 0, length);
            std::memcpy(data, bytes.constData() + offset, size_t(n));
            return n;
        });
    const imaging::InMemoryFile file("quillon-thumbnail", bytes);
    return file.ok() ? MakeThumbnail(file.path(), formatText) : QByteArray();
}

std::optional<quint64> PictureHashFromBytes(const QByteArray& bytes, const QString& formatText) {
    if (bytes.isEmpty() || IsClipFormat(formatText))
        return std::nullopt;
    const imaging::InMemoryFile file("quillon-picture-hash", bytes);
    return file.ok() ? PerceptualHash(smallPicture(file.path(), true)) : std::nullopt;
}

} // namespace q32
