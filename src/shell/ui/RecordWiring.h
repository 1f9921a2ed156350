#pragma once
// The record commands in the main window: the tools, the status-line click, shortcuts, and the
// window's side of what the commands show.

#include "shell/records/RecordCommands.h"

#include <QObject>
#include <functional>
#include <memory>

class QLabel;

namespace q32 {

class AlbumBrowser;
class CommandDispatcher;
class PreviewPane;
class PromptService;
class RecordGridModel;
class Settings;
struct ProgramPaths;

// The parts of the main window the record commands show their work in.
struct RecordWindowParts {
    QWidget& window;     // owns the shortcuts and the commands' dialogs
    QWidget& recordArea; // locked while a command changes the records
    AlbumBrowser& browser;
    PreviewPane& preview;
    RecordGridModel& grid;
    QLabel& statusLine; // the current description; a click edits the texts
    CommandDispatcher& dispatcher;
    // Shows a busy caption in the title and the status band; empty: the album's caption again.
    std::function<void(const QString&)> showCaption;
};

class RecordWiring : public QObject {
    Q_OBJECT
public:
    RecordWiring(RecordWindowParts parts, const ProgramPaths& paths, Settings& settings,
                 PromptService& prompts);
    ~RecordWiring() override;

    RecordCommands& commands() { return *m_commands; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void registerTools();
    void addShortcuts();

    RecordWindowParts m_parts;
    std::unique_ptr<RecordSite> m_site;
    std::unique_ptr<RecordCommands> m_commands;
};

} // namespace q32
