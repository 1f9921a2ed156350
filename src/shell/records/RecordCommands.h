#pragma once
// The commands that change or use the current record: editing its three texts, deleting it,
// attaching a sound, exporting its picture and handing the picture to an outside image editor.
// No widgets: questions go through the prompt service, the Save Options window through
// askSaveOptions, and what the main window must show through the RecordSite.

#include "output/export/SaveOptionsModel.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <functional>

namespace q32 {

class AlbumDb;
class AlbumMedia;
class AlbumRecordset;
class EditorRun;
class PromptService;
class Settings;
struct AlbumStatus;
struct CurrentRecordState;
struct OpenAlbumState;
struct ProgramPaths;

// What the commands need of the window that holds the open album.
class RecordSite {
public:
    virtual ~RecordSite() = default;
    virtual AlbumDb* album() = 0;
    virtual AlbumRecordset* records() = 0;
    // Reads the open album's media off the interface thread.
    virtual AlbumMedia* media() = 0;
    // The preview lets go of the current record (hidden until shown again).
    virtual void hidePreview() = 0;
    // Reads the records again: grid, title and first record.
    virtual void reloadRecords() = 0;
    // Extracts and shows the current record again (its picture changed).
    virtual void showCurrentRecord() = 0;
    // The record at this 0-based position has new texts: its grid row and the status line.
    virtual void recordChanged(qint64 position) = 0;
    virtual void showSoundIndicator() = 0;
    // A "BUSY: ..." caption while long work runs; an empty text gives the album's caption back.
    virtual void setBusyCaption(const QString& caption) = 0;
    // While an outside program edits the picture, no other record may become current.
    virtual void lockRecords(bool locked) = 0;
};

class RecordCommands {
public:
    RecordCommands(const ProgramPaths& paths, OpenAlbumState& album, CurrentRecordState& record,
                   Settings& settings, PromptService& prompts, RecordSite& site);
    ~RecordCommands();

    // The Save Options window: started with the format to offer first and the append choice
    // used last, and the picture (its depth and size) to be saved.
    std::function<SaveChoice(int formatIndex, bool append, const ImageInfo& picture)>
        askSaveOptions;

    // A click on the status line: description, file name and keywords, saved together.
    void editTexts();
    // Deletes the current record after asking; the viewer deletes through this too.
    void deleteCurrentRecord();
    void attachSound();
    // Asks where, reads the picture, asks how, and writes it there: the reading and the writing
    // run off the interface thread.
    void exportCurrentPicture();
    // Hands the picture to the outside image editor as "image.pic" in the private runtime folder
    // and, once the editor has ended, stores what it left there. The records stay locked
    // meanwhile; the window keeps running.
    void editPictureExternally();
    // An export or an editor run is on its way (for tests).
    bool busy() const { return m_working > 0; }

    int lastFormatIndex() const { return m_lastFormat; }
    bool lastAppend() const { return m_lastAppend; }

private:
    // The current record as the recordset holds it, at CurrentRow; false when there is none.
    bool syncCurrent();
    void unexpected(const AlbumStatus& status, const char* procedure);
    void saveExport(const QByteArray& picture, const QString& target);
    void startEditor(const QByteArray& picture, qint64 rowId, const QString& album);
    void storeEdited(qint64 rowId, const QString& album);

    const ProgramPaths& m_paths;
    OpenAlbumState& m_open;
    CurrentRecordState& m_record;
    Settings& m_settings;
    PromptService& m_prompts;
    RecordSite& m_site;
    // Kept while the program runs: the export starts where the last one left off.
    int m_lastFormat = 0; // the list's first entry until an export chooses another
    bool m_lastAppend = false;
    QString m_lastExportDir;
    QObject m_context; // where the results of background work arrive
    EditorRun* m_editor = nullptr;
    int m_working = 0;
};

} // namespace q32
