#pragma once
// Find Similar: the grid shows only the pictures that look like the current record's, nearest
// first, within a distance the user is asked for.

#include <QString>
#include <functional>

class QWidget;

namespace q32 {

class AlbumBrowser;
class PromptService;
class Settings;

// Why Find Similar cannot run now (no album, no record, a clip); empty when it can.
QString FindSimilarUnavailableReason(const AlbumBrowser& browser);

// Asks the distance, compares and filters the grid, then calls shown; reports a record with no
// picture to compare and a distance that is not one. Pictures not hashed yet are hashed first off
// the interface thread (over a connection of their own, opened with password), with a progress
// window over parent whose Cancel leaves the grid as it was.
void RunFindSimilar(AlbumBrowser& browser, PromptService& prompts, Settings& settings,
                    const QString& password, QWidget* parent, std::function<void()> shown = {});

} // namespace q32
