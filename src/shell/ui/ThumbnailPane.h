#pragma once
// The thumbnail view beside the record grid: the same records as a wall of thumbnails with
// their file names, in the grid's place while "Thumbnail View" is on. It follows the current
// record both ways: a click or an arrow key makes a thumbnail current, and a move in the grid,
// with the arrow buttons or in the viewer moves its highlight. The state is kept in the
// settings (section "Options", value "ThumbnailView"). While it is on, the records that lack a
// thumbnail or a picture hash get them in the background.

#include "shell/HashFiller.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QListView;
class QTableView;

namespace q32 {

class AlbumBrowser;
class CommandBar;
class Settings;
class ThumbnailModel;
class ThumbnailSource;

class ThumbnailPane : public QObject {
    Q_OBJECT
public:
    // The view is made for the grid's place in parent; the window lays it out there.
    ThumbnailPane(AlbumBrowser& browser, QTableView& grid, CommandBar& tools, Settings& settings,
                  QWidget* parent);

    QListView* view() const { return m_view; }
    ThumbnailModel& model() { return *m_model; }
    ThumbnailSource& source() { return *m_source; }
    bool isOn() const { return m_on; }
    // Shows the thumbnails instead of the grid, or the grid again, and remembers the choice.
    void setOn(bool on);
    // The state saved last time, once the window has started.
    void restore();
    // The tool shows the state again (a toolbar layout was applied).
    void syncTool();

signals:
    // A thumbnail was made current (1-based row), or double-clicked to be viewed.
    void recordChosen(qint64 row);
    void viewRequested();

private:
    void albumChanged();
    void highlightCurrent();
    // Runs the picture hash filler over the open album while the view is on.
    void fillPictureHashes();

    AlbumBrowser& m_browser;
    CommandBar& m_tools;
    Settings& m_settings;
    ThumbnailSource* m_source = nullptr;
    ThumbnailModel* m_model = nullptr;
    QListView* m_view = nullptr;
    QPointer<QTableView> m_grid;
    bool m_on = false;
    std::unique_ptr<HashFiller> m_hashes;
    QString m_hashedAlbum; // the album m_hashes works on
};

} // namespace q32
