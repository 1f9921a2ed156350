#pragma once
// The open album and its current record: opening (with the recent list, read-only media and
// passwords), the sort and filter query, moving between records and copying the current
// record's media into the work files. No widgets: it asks through the prompt service and tells
// the window what to show through signals.

#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"
#include "shell/RecentAlbums.h"

#include <QObject>
#include <functional>
#include <memory>

namespace q32 {

class PromptService;
class Settings;
class VideoControl;
struct ProgramState;

// What the preview shows for the current record.
enum class MediaKind { Still, Gif, Video };

struct RecordMedia {
    MediaKind kind = MediaKind::Still;
    QString path; // "image.pic", "image.gif" or "pelorus.vid" in AppDir
    bool hasSound = false;
};

class AlbumBrowser : public QObject {
    Q_OBJECT
public:
    AlbumBrowser(ProgramState& state, Settings& settings, PromptService& prompts,
                 QObject* parent = nullptr);
    ~AlbumBrowser() override;

    // The password window; returns what it leaves in EnteredPassword.
    std::function<QString()> askPassword;
    // The player that may hold a work file open; closed before the file is rewritten.
    void setPlayer(VideoControl* player) { m_player = player; }

    void mnuOpenAlbums();
    void OpenAlbum();
    void SortImages(int index, bool skipPrompt);
    // The filter tool: the next of the ten orders, reusing the saved filter texts.
    void NextSortOrder();
    void mnuSetPassword_Click();

    // Shows record CurrentRow (1-based), clamped to the rows there are.
    void ShowRecord();
    void GetOLEImages();
    // Plays the current record's sound; false when it has none.
    bool GetOLESound(VideoControl& player);

    AlbumDb* album() const { return m_album.get(); }
    AlbumRecordset* recordset() const { return m_recordset.get(); }
    const RecordMedia& media() const { return m_media; }
    int readOnlyFailures() const { return m_readOnlyFailures; }

    static const char* const kSortTools[10];
    static QString SortToolTip(int index, const QString& keywords, const QString& description);

signals:
    void titleChanged(const QString& title);
    void recordsetReset();
    void previewHidden();
    void recordShown(const RecordMedia& media);
    void filterToolChanged(const QString& pictureOf, const QString& tip);
    void recentEntriesChanged(const RecentEntries& entries);
    void recordToolsChanged();
    void closeRequested();
    void captionChanged();

private:
    std::unique_ptr<AlbumDb> openWithRetries(const QString& path);
    void UpdateOpenFiles();
    void closeAlbum();
    qint64 extract(PictureField field, const QString& file);

    ProgramState& m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    VideoControl* m_player = nullptr;
    std::unique_ptr<AlbumDb> m_album;
    std::unique_ptr<AlbumRecordset> m_recordset;
    RecordMedia m_media;
    int m_passwordAttempts = 0;
    int m_readOnlyFailures = 0; // lives as long as the program
    bool m_updatingRecent = false;
};

} // namespace q32
