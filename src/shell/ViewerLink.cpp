#include "shell/ViewerLink.h"

#include "album/FormatTable.h"
#include "common/ProgramState.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"

#include <QFile>

namespace q32 {
namespace {

bool isStill(const QString& format) {
    return !IsClipFormat(format) && format.mid(3, 3).toLower() != QLatin1String("gif");
}

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

ViewerLink::ViewerLink(AlbumBrowser& browser, ProgramState& state, PromptService& prompts)
    : m_browser(browser), m_state(state), m_prompts(prompts) {}

bool ViewerLink::loadCurrent(ViewerMedia& media, const QString& ahead) {
    if (!ahead.isEmpty() && adopt(media, ahead))
        return true;
    bool shown = false;
    const auto connection = QObject::connect(&m_browser, &AlbumBrowser::recordShown,
                                             [&shown](const RecordMedia&) { shown = true; });
    m_browser.extractCurrentMedia();
    QObject::disconnect(connection);
    if (!shown)
        return false;
    const RecordMedia& m = m_browser.media();
    media = {kindOf(m.kind), m.path, m.hasSound};
    return true;
}

// The picture read ahead becomes the work file; the texts come from the query, as the
// album browser fills them.
bool ViewerLink::adopt(ViewerMedia& media, const QString& ahead) {
    AlbumRecordset* rows = m_browser.recordset();
    if (!rows || !rows->moveTo(m_state.album.CurrentRow - 1).ok())
        return false;
    const auto row = rows->current();
    if (!row || !isStill(row->imageFormat))
        return false;
    const QString work = m_state.AppDir + QStringLiteral("image.pic");
    QFile::remove(work);
    if (!QFile::rename(ahead, work))
        return false;
    CurrentRecordState& current = m_state.record;
    current.CurrentImageFile = row->imageFile;
    if (row->date.isValid())
        current.CurrentDate = row->date;
    current.CurrentDescription = row->description;
    current.CurrentFormatName = row->imageFormat.mid(3);
    current.CurrentProperties =
        row->imageProperties + QStringLiteral(" (") + current.CurrentFormatName + QLatin1Char(')');
    const bool animated = AlbumBrowser::isAnimatedWebp(row->imageFormat, work);
    media = {animated ? ViewerMedia::Kind::Gif : ViewerMedia::Kind::Still, work,
             row->soundSize > 0};
    m_state.StatusWord = 0;
    return true;
}

bool ViewerLink::extractAhead(qint64 row, const QString& file) {
    AlbumRecordset* rows = m_browser.recordset();
    if (!rows || !m_browser.album() || row < 1 || row > rows->recordCount())
        return false;
    const auto fields = rows->recordAt(row - 1);
    if (!fields || !isStill(fields->imageFormat))
        return false;
    return m_browser.album()->extractToFile(rows->rowIdAt(row - 1), PictureField::Image, file) > 0;
}

bool ViewerLink::playSound(VideoControl& player) {
    return m_browser.playCurrentSound(player);
}

bool ViewerLink::storeDescription(const QString& text) {
    AlbumRecordset* rows = m_browser.recordset();
    if (!rows || !rows->moveTo(m_state.album.CurrentRow - 1).ok())
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
    m_state.record.CurrentDescription = text;
    if (recordsChanged)
        recordsChanged();
    return true;
}

bool ViewerLink::deleteCurrent() {
    // The record commands ask, delete and open the album again; only a deletion lowers the count.
    const qint64 before = m_state.album.RecordCount;
    if (deleteRecord)
        deleteRecord();
    return m_state.album.RecordCount < before;
}

} // namespace q32
