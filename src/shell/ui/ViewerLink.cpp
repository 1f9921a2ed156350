#include "shell/ui/ViewerLink.h"

#include "album/AlbumMedia.h"
#include "album/AlbumThumbnails.h"
#include "common/ProgramState.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"

namespace q32 {
namespace {

ViewerMedia::Kind kindOf(MediaKind kind) {
    switch (kind) {
    case MediaKind::Gif:
        return ViewerMedia::Kind::Gif;
    case MediaKind::Video:
        return ViewerMedia::Kind::Video;
    default:
        return ViewerMedia::Kind::Still;
    }
}

} // namespace

ViewerLink::ViewerLink(AlbumBrowser& browser, PromptService& prompts)
    : m_browser(browser), m_prompts(prompts) {}

bool ViewerLink::loadCurrent(ViewerMedia& media) {
    bool shown = false;
    const auto connection = QObject::connect(&m_browser, &AlbumBrowser::recordShown,
                                             [&shown](const RecordMedia&) { shown = true; });
    m_browser.extractCurrentMedia();
    QObject::disconnect(connection);
    if (!shown)
        return false;
    const RecordMedia& m = m_browser.media();
    media = {kindOf(m.kind), m.hasSound};
    return true;
}

ViewerThumbnail ViewerLink::thumbnail(qint64 row) {
    AlbumRecordset* rows = m_browser.recordset();
    AlbumMedia* source = m_browser.mediaSource();
    if (!rows || !source || row < 1 || row > rows->knownCount())
        return {};
    const QImage image = source->thumbnail(rows->rowIdAt(row - 1));
    return {image, SizeThumbnailStandsFor(image.size())};
}

QFuture<ViewerPicture> ViewerLink::readPicture(qint64 row) {
    AlbumRecordset* rows = m_browser.recordset();
    AlbumMedia* source = m_browser.mediaSource();
    const auto fields = rows && source && row >= 1 && row <= rows->knownCount()
                            ? rows->recordAt(row - 1)
                            : std::nullopt;
    const MediaKind kind = fields ? MediaKindOfFormat(fields->imageFormat) : MediaKind::Video;
    if (kind == MediaKind::Video)
        return QtFuture::makeReadyFuture(ViewerPicture{});
    return source->read(fields->rowId, PictureField::Image)
        .then(
            [gif = kind == MediaKind::Gif, format = fields->imageFormat](const QByteArray& bytes) {
                return ViewerPicture{bytes, gif || AlbumBrowser::isAnimatedWebp(format, bytes)};
            });
}

void ViewerLink::playClip(VideoControl& player) {
    const RecordMedia& m = m_browser.media();
    if (const std::shared_ptr<AlbumMedia> source = m.source.lock())
        player.load(source->openStream(m.rowId, PictureField::Image), m.name);
}

bool ViewerLink::playSound(VideoControl& player) {
    return m_browser.playCurrentSound(player);
}

bool ViewerLink::storeDescription(const QString& text) {
    AlbumRecordset* rows = m_browser.recordset();
    if (!rows || !rows->moveTo(m_browser.albumState().CurrentRow - 1).ok())
        return false;
    AlbumStatus status;
    auto fields = rows->current(&status);
    if (fields) {
        fields->description = text;
        status = rows->updateCurrent(*fields);
    }
    if (!status.ok()) {
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (FullPicture: Text1_KeyDown)"));
        return false;
    }
    m_browser.recordState().CurrentDescription = text;
    if (recordsChanged)
        recordsChanged();
    return true;
}

bool ViewerLink::deleteCurrent() {
    // The record commands ask, delete and open the album again; only a deletion lowers the count.
    const qint64 before = m_browser.albumState().RecordCount;
    if (deleteRecord)
        deleteRecord();
    return m_browser.albumState().RecordCount < before;
}

} // namespace q32
