#pragma once
// Compaction and repair in the main window: the commands, the handles the window lets go of
// first, and the progress dialog with its Cancel button.

namespace q32 {

class MainWindow;
class MaintenanceFlow;
class PromptService;
class Settings;
struct OpenAlbumState;

// Registers "ID_CompactDatabase" and "ID_RepairDatabase" with the main window's commands.
MaintenanceFlow* AddMaintenanceCommands(MainWindow& main, OpenAlbumState& album, Settings& settings,
                                        PromptService& prompts);

} // namespace q32
