#pragma once
// What the viewer needs of the album browser: the current record and what it holds, a record's
// picture read from the album off the interface thread (the current one or the next one ahead of
// time), its clip and its sound played from the album, its description, its deletion.

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <functional>

class QWidget;

namespace q32 {

class VideoControl;

struct ViewerMedia {
    enum class Kind { Still, Gif, Video };
    Kind kind = Kind::Still;
    bool hasSound = false;
};

// A record's picture as the album holds it.
struct ViewerPicture {
    QByteArray bytes;      // empty for a clip, or when it could not be read
    bool animated = false; // a GIF or an animated WebP: played, not decoded as a still
};

// A record's stored thumbnail, and the size of the picture it stands for until that is decoded.
struct ViewerThumbnail {
    QImage image;
    QSize standsFor;
};

class ViewerRecords {
public:
    virtual ~ViewerRecords() = default;
    // Makes the record at CurrentRow current, fills the current-record state and says what the
    // record holds. False when the record could not be read (the album browser has said why).
    virtual bool loadCurrent(ViewerMedia& media) = 0;
    // Reads the picture of row (1-based) off the interface thread.
    virtual QFuture<ViewerPicture> readPicture(qint64 row) = 0;
    // The stored thumbnail of row (1-based), read at once; a null image when it has none.
    virtual ViewerThumbnail thumbnail(qint64 row) = 0;
    // Plays the current record's clip, read from the album as it plays.
    virtual void playClip(VideoControl& player) = 0;
    // Plays the current record's sound; false when it has none.
    virtual bool playSound(VideoControl& player) = 0;
    // Stores the text as the current record's description.
    virtual bool storeDescription(const QString& text) = 0;
    // Deletes the current record after asking; false when it is still there (the answer was
    // Cancel, or it could not be removed). RecordCount tells what is left.
    virtual bool deleteCurrent() = 0;
    // Narrows the records to the pictures like the current one, nearest first, after asking
    // (over the window over); calls shown once they are narrowed, which may be later, or never
    // when nothing changed (cancelled, nothing to compare).
    virtual void findSimilar(QWidget* over, std::function<void()> shown) {
        (void)over;
        (void)shown;
    }
};

} // namespace q32
