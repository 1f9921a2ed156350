#pragma once
// How the program gets to the Add Images window from outside: the album-file dialog of a new
// album, and the command line ("KORALTE", "|" + a picture, or pictures a file manager passes).

#include <QString>
#include <QStringList>

namespace q32 {

class PromptService;
struct ProgramState;

// Asks for the file of a new album, starting where the first recent album lives, and returns
// it; empty (and StatusWord 1) when cancelled. The file need not exist: the first "&Add" of the
// Add Images window creates it. A file that exists is named, with the question whether the
// pictures go into that album (No asks for another name). recentEntry is the caption of recent
// entry 1; openAlbum, when an album is open, is offered instead, its name exactly as it is.
QString AskAlbumFileName(ProgramState& state, PromptService& prompts, const QString& recentEntry,
                         const QString& openAlbum = {});

struct StartupRequest {
    bool newAlbum = false; // "KORALTE" anywhere (case-sensitive)
    QString album;         // an album named on the command line
    QStringList pictures;  // pictures for the Add Images list, the first selected
};

// The program's arguments (without the program itself). The text after the first "|" of the
// command line names one picture; otherwise every existing file that is not an album is a
// picture. file:// addresses are taken as the files they name.
StartupRequest ParseStartupArguments(const QStringList& arguments);

} // namespace q32
