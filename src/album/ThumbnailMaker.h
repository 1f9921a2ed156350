#pragma once
// Makes the small JPEG that the thumbnail view shows for a record, from its stored picture.

#include <QByteArray>
#include <QString>
#include <optional>

namespace q32 {

// The thumbnail of the picture at path, or of a record's stored bytes: a JPEG at most
// kThumbnailEdge pixels a side, turned as the photo's EXIF says. Empty when there is no picture
// to show small (clips by their format text, sounds, files the imaging layer cannot decode).
// With decode off only a camera's own preview is used; null when there is none. pictureHash, when
// given, receives the perceptual hash of the same small picture (see PictureHashes.h).
QByteArray MakeThumbnail(const QString& path, const QString& formatText, bool decode = true,
                         std::optional<quint64>* pictureHash = nullptr);
QByteArray MakeThumbnailFromBytes(const QByteArray& bytes, const QString& formatText);
// The perceptual hash of a record's stored bytes, from the picture the thumbnail is made of;
// nullopt when it cannot be decoded.
std::optional<quint64> PictureHashFromBytes(const QByteArray& bytes, const QString& formatText);
// False for a format that never has a thumbnail (a clip), so its bytes need not be read.
bool CanMakeThumbnail(const QString& formatText);

} // namespace q32
