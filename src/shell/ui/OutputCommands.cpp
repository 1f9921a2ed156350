#include "shell/ui/OutputCommands.h"

#include "album/AlbumMedia.h"
#include "common/ProgramState.h"
#include "common/WhenReady.h"
#include "output/gallery/ui/GalleryWindow.h"
#include "output/print/ui/ContactSheetWindow.h"
#include "output/print/ui/PrintPreviewWindow.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"
#include "shell/CommandDispatcher.h"

#include <QWidget>

namespace q32 {
namespace {

void printCurrentImage(AlbumBrowser& browser, Settings& settings, PromptService& prompts,
                       QWidget* parent) {
    const RecordMedia& media = browser.media();
    PrintPicture picture;
    picture.name = media.name;
    picture.description = browser.recordState().CurrentDescription;
    const std::shared_ptr<AlbumMedia> source = media.source.lock();
    // A clip has no picture to print; a GIF prints its first frame.
    if (media.kind == MediaKind::Video || !source) {
        ShowPrintPreview(picture, settings, prompts, parent);
        return;
    }
    // The picture is printed from its bytes, read off this thread.
    WhenReady(parent, source->read(media.rowId, PictureField::Image),
              [&settings, &prompts, parent, picture](const QByteArray& bytes) mutable {
                  picture.bytes = bytes;
                  ShowPrintPreview(picture, settings, prompts, parent);
              });
}

void printContactSheet(AlbumBrowser& browser, Settings& settings, PromptService& prompts,
                       QWidget* parent) {
    AlbumRecordset* records = browser.recordset();
    if (!records || records->knownCount() == 0)
        return;
    ContactSheetSource source;
    {
        BusyGuard busy(prompts);
        source = {ContactSheetEntries(*records), browser.albumState().OpenAlbumPath,
                  browser.albumState().AlbumPassword};
    }
    ShowContactSheet(std::move(source), settings, prompts, parent);
}

} // namespace

void AddOutputCommands(CommandDispatcher& d, AlbumBrowser& browser, Settings& settings,
                       PromptService& prompts, QWidget* parent) {
    d.add(QStringLiteral("ID_PrintSetup"), [&prompts] { prompts.printSetup(); });
    d.add(QStringLiteral("ID_PrintImage"), [&browser, &settings, &prompts, parent] {
        printCurrentImage(browser, settings, prompts, parent);
    });
    d.add(QStringLiteral("ID_PrintContactSheet"), [&browser, &settings, &prompts, parent] {
        printContactSheet(browser, settings, prompts, parent);
    });
    d.add(QStringLiteral("ID_ExportWebGallery"), [&browser, &prompts, parent] {
        if (browser.album() && browser.recordset())
            ShowGalleryWindow(*browser.album(), browser.recordset()->query(), prompts, parent);
    });
}

} // namespace q32
