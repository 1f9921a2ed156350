#pragma once
// Compaction and repair in the main window: the commands, the handles the window lets go of
// first, and the progress dialog with its Cancel button.

#include <functional>

class QWidget;

namespace q32 {

class AlbumBrowser;
class CommandDispatcher;
class MaintenanceFlow;
class PromptService;
class Settings;

// Registers "ID_CompactDatabase" and "ID_RepairDatabase"; releaseHandles lets go of what the
// window reads from the album, window shows the progress and the work in its title.
MaintenanceFlow* AddMaintenanceCommands(CommandDispatcher& commands, AlbumBrowser& browser,
                                        std::function<void()> releaseHandles, QWidget& window,
                                        Settings& settings, PromptService& prompts);

} // namespace q32
