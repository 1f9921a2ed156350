#pragma once
// Printing the current picture, the contact sheet of the listed records and the web gallery,
// from the main window.

class QWidget;

namespace q32 {

class AlbumBrowser;
class CommandDispatcher;
class PromptService;
class Settings;

// Registers "ID_PrintSetup", "ID_PrintImage", "ID_PrintContactSheet" and "ID_ExportWebGallery";
// their windows open over parent.
void AddOutputCommands(CommandDispatcher& commands, AlbumBrowser& browser, Settings& settings,
                       PromptService& prompts, QWidget* parent);

} // namespace q32
