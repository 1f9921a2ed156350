#pragma once
// The main window's preview: the current picture fitted into its frame, an animated GIF, or a
// clip in the video pane with its stop and play buttons, and the loudspeaker that shows a record
// has a sound. Pictures are read and decoded off the user-interface thread, from memory; a newer
// record always wins.

#include "platform/imaging/ImagingCondition.h"
#include "shell/AlbumBrowser.h"
#include "shell/PreviewPrefetcher.h"

#include <QFrame>
#include <QFuture>
#include <QImage>
#include <optional>

class QLabel;
class QMovie;
template <typename T> class QFutureWatcher;
class QPushButton;
class QVideoWidget;

namespace q32 {

class VideoControl;

class PreviewPane : public QFrame {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    VideoControl& player() { return *m_player; }
    QLabel* picture() const { return m_picture; }
    QWidget* frame() const { return m_frame; }
    QLabel* soundIndicator() const { return m_soundIndicator; }

    // Shows the record's media the way the frame allows; a still decoded ahead shows at once.
    void showMedia(const RecordMedia& media,
                   const std::optional<PreviewPrefetcher::Picture>& decodedAhead = std::nullopt);
    QSize frameSize() const;
    void hidePreview();
    void showVideoButtons(bool visible);
    void setSoundPlaying(bool playing);
    // Large system fonts move the frames.
    void useLargeFontLayout();
    void setSlideshowRunning(bool running) { m_slideshowRunning = running; }

    // The last picture shown finished decoding (for tests and the busy pointer).
    bool idle() const { return !m_decoding; }
    // The frame shows the record's stored thumbnail while its picture is decoded.
    bool showingThumbnail() const { return m_showingThumbnail; }
    // The picture, GIF or animated WebP of a record as the preview shows it, from its bytes:
    // a picture fitted to frame, or the bytes a movie plays. Safe on any thread.
    struct Decoded {
        QImage image;
        QSize pictureSize;
        ImagingCondition condition = ImagingCondition::None;
        QByteArray movie;
    };
    static Decoded decode(const QByteArray& bytes, MediaKind kind, const QString& format,
                          const QSize& frame);

signals:
    void pictureClicked();
    void soundClicked();
    void pictureReady();
    // The picture of media could not be shown, or its frame was clicked; reason says why.
    void pictureFailed(const RecordMedia& media, const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDecoded(const Decoded& decoded);
    void showPicture(const QImage& image, const QSize& pictureSize);
    void showThumbnail(const QImage& thumbnail);
    void showMovie(const QByteArray& bytes);
    void dropMovie();
    // Stops the read and decode on their way.
    void cancelDecoding();
    void loadClip(const RecordMedia& media);

    QFrame* m_frameTop;
    QFrame* m_frame;
    QLabel* m_picture;
    QMovie* m_movie = nullptr;
    QVideoWidget* m_videoPane;
    QPushButton* m_videoButtons[2]; // stop, play from the start
    QLabel* m_soundIndicator;
    VideoControl* m_player;
    QFutureWatcher<Decoded>* m_decoded;
    QFuture<QByteArray> m_reading;
    RecordMedia m_decodingMedia; // the record whose picture is on its way
    bool m_decoding = false;
    bool m_showingThumbnail = false;
    bool m_slideshowRunning = false;
    std::optional<RecordMedia> m_failed; // shown in the frame instead of its picture
    // The clip in the pane: the player lets go of it at its end, and Play loads it again.
    std::optional<RecordMedia> m_clip;
};

} // namespace q32
