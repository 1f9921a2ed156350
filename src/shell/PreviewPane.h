#pragma once
// The main window's preview: the current picture fitted into its frame (decoded off the
// user-interface thread; a newer record always wins), an animated GIF, or a clip in the video
// pane with its stop and play buttons, and the loudspeaker that shows a record has a sound.

#include "platform/imaging/ImagingCondition.h"
#include "shell/AlbumBrowser.h"
#include "shell/PreviewPrefetcher.h"

#include <QFrame>
#include <QImage>
#include <optional>

class QLabel;
class QMovie;
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
    bool idle() const { return m_pending == 0; }

signals:
    void pictureClicked();
    void soundClicked();
    void pictureReady();
    // The picture of media could not be shown, or its frame was clicked; reason says why.
    void pictureFailed(const RecordMedia& media, const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDecoded(quint64 generation, const RecordMedia& media, const QImage& image,
                     const QSize& pictureSize, ImagingCondition condition);
    void showPicture(const QImage& image, const QSize& pictureSize);

    QFrame* m_frameTop;
    QFrame* m_frame;
    QLabel* m_picture;
    QMovie* m_movie = nullptr;
    QVideoWidget* m_videoPane;
    QPushButton* m_videoButtons[2]; // stop, play from the start
    QLabel* m_soundIndicator;
    VideoControl* m_player;
    quint64 m_generation = 0;
    int m_pending = 0;
    bool m_slideshowRunning = false;
    std::optional<RecordMedia> m_failed; // shown in the frame instead of its picture
};

} // namespace q32
