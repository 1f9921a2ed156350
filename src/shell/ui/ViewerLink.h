#pragma once
// What the viewer asks of the album browser, answered from the open album.

#include "viewer/ViewerRecords.h"

#include <functional>

namespace q32 {

class AlbumBrowser;
class PromptService;

class ViewerLink : public ViewerRecords {
public:
    ViewerLink(AlbumBrowser& browser, PromptService& prompts);

    // Called after a description was stored or a record deleted, so the grid shows it.
    std::function<void()> recordsChanged;
    // Deletes the current record after asking (the main window's record commands).
    std::function<void()> deleteRecord;
    // Find Similar on the current record (the main window's command); true once it filtered.
    std::function<void(QWidget*, std::function<void()>)> similarFilter;

    bool loadCurrent(ViewerMedia& media) override;
    QFuture<ViewerPicture> readPicture(qint64 row) override;
    ViewerThumbnail thumbnail(qint64 row) override;
    void playClip(VideoControl& player) override;
    bool playSound(VideoControl& player) override;
    bool storeDescription(const QString& text) override;
    bool deleteCurrent() override;
    void findSimilar(QWidget* over, std::function<void()> shown) override {
        if (similarFilter)
            similarFilter(over, std::move(shown));
    }

private:
    AlbumBrowser& m_browser;
    PromptService& m_prompts;
};

} // namespace q32
