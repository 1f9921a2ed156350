#pragma once
// The record commands in the main window: the tools, the status-line click, shortcuts, and the
// window's side of what the commands show.

#include "shell/records/RecordCommands.h"

#include <QObject>
#include <memory>

namespace q32 {

class MainWindow;
class PromptService;
class Settings;
struct ProgramState;

class RecordWiring : public QObject {
    Q_OBJECT
public:
    RecordWiring(MainWindow& main, ProgramState& state, Settings& settings, PromptService& prompts);
    ~RecordWiring() override;

    RecordCommands& commands() { return *m_commands; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void registerTools();
    void addShortcuts();

    MainWindow& m_main;
    ProgramState& m_state;
    std::unique_ptr<RecordSite> m_site;
    std::unique_ptr<RecordCommands> m_commands;
};

} // namespace q32
