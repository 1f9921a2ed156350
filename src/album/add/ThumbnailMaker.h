#pragma once
// Makes the small JPEG that the thumbnail view shows for a record, from its stored picture.

#include "platform/media/ClipFrame.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace q32 {

class AlbumDb;

// The thumbnail of the picture at path, or of a record's stored bytes: a JPEG at most
// kThumbnailEdge pixels a side, turned as the photo's EXIF says. Empty when there is no picture
// to show small (sounds, files the imaging layer cannot decode). With decode off only a camera's
// own preview is used; null when there is none. A clip's is its frame (see MakeClipThumbnail),
// taken whether decode is on or not: clips have no preview of their own. pictureHash, when given,
// receives the perceptual hash of the same small picture (see PictureHashes.h); none for a clip.
QByteArray MakeThumbnail(const QString& path, const QString& formatText, bool decode = true,
                         std::optional<quint64>* pictureHash = nullptr);
QByteArray MakeThumbnailFromBytes(const QByteArray& bytes, const QString& formatText);
// The perceptual hash of a record's stored bytes, from the picture the thumbnail is made of;
// nullopt when it cannot be decoded, and for a clip.
std::optional<quint64> PictureHashFromBytes(const QByteArray& bytes, const QString& formatText);

// A clip's thumbnail: its frame (see TakeClipFrame) as a JPEG that also holds the clip's length,
// or kNoClipFrame when no frame can be had. Null when stopped: nothing is known then.
QByteArray MakeClipThumbnail(qint64 size, const ClipReader& read,
                             const std::atomic_bool* stop = nullptr);
// The same from a clip stored in the album, read in pieces (never written anywhere).
QByteArray MakeStoredClipThumbnail(AlbumDb& album, qint64 rowId,
                                   const std::atomic_bool* stop = nullptr);
// Kept for a clip whose frame could not be taken, so that it is not tried again; like an empty
// thumbnail it decodes to no picture and shows a placeholder.
inline const QByteArray kNoClipFrame = QByteArrayLiteral("no frame");
// The clip's length kept in its thumbnail; nullopt when it holds none.
std::optional<qint64> ClipLengthOfThumbnail(const QByteArray& jpeg);
// The same, from the thumbnail decoded.
std::optional<qint64> ClipLengthOfImage(const QImage& thumbnail);
// True when a stored thumbnail should be made again: an empty one of a clip, kept by a build
// that took no frames from clips.
bool WantsClipFrame(const QByteArray& stored, const QString& formatText);

} // namespace q32
