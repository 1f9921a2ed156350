#pragma once
// The open album and its current record: opening (with the recent list, read-only media and
// passwords), the sort and filter query, moving between records and telling the window which
// media the current record holds. The media themselves are read from the album where they are
// shown, never copied to a file. No widgets: it asks through the prompt service and tells the
// window what to show through signals.

#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"
#include "common/ProgramState.h"
#include "formats/FormatTable.h"
#include "shell/RecentAlbums.h"
#include "shell/records/ToolStates.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace q32 {

class AlbumMedia;
class HashFiller;
class PromptService;
class Settings;
class VideoControl;

struct RecordMedia {
    qint64 rowId = 0;
    MediaKind kind = MediaKind::Still;
    QString name;                     // the record's file name
    QString format;                   // the record's format text
    std::weak_ptr<AlbumMedia> source; // reads the record's media; null for a file
    QString path;                     // a file of the file browser instead of a record
    bool hasSound = false;

    bool isEmpty() const { return path.isEmpty() && source.expired(); }
};

// The ten orders and filters, in the order the filter tool steps through them.
enum SortOrder : int {
    DateAscending,
    DateDescending,
    FileAscending,
    FileDescending,
    FormatAscending,
    FormatDescending,
    KeywordsAscendingDate,
    KeywordsDescendingDate,
    DescriptionAscendingDate,
    DescriptionDescendingDate,
    SortOrderCount
};

class AlbumBrowser : public QObject {
    Q_OBJECT
public:
    // playback: the sound stops counting as playing when the record has none.
    AlbumBrowser(PlaybackState& playback, Settings& settings, PromptService& prompts,
                 QObject* parent = nullptr);
    ~AlbumBrowser() override;

    // The player that may be reading the album; closed before the album is.
    void setPlayer(VideoControl* player) { m_player = player; }

    // The open dialog, then the chosen album.
    void chooseAlbumToOpen();
    // Opens the album at path (a recent entry's "&N " prefix is dropped). The file is opened
    // in the background (a protected album's keys take a while, an older album gets its
    // indexes), questions about it are asked here, and the window stays live meanwhile; done
    // and albumOpened() follow. When it cannot be opened the album that was open stays open as
    // it was, and the recent list is untouched. A request while another open is under way is
    // refused (done(false)).
    void openAlbum(const QString& path, std::function<void(bool opened)> done = {});
    // From openAlbum() until albumOpened().
    bool opening() const { return m_opening != nullptr; }
    // Lets go of the album: no records, nothing current.
    void closeAlbum();
    // Reads the open album's records again in the kept order, as a new open would show them,
    // without opening the file again (after a record was deleted).
    void reloadRecords();
    // Runs one of the ten orders; the filters ask for their text unless skipPrompt is set.
    void sortImages(int order, bool skipPrompt);
    // The filter in force (Keywords contain "sea"), empty when the rows are only sorted.
    QString activeFilter() const;
    // Drops the filter in force and keeps its date order.
    void clearFilter();
    // Find Similar's filter: only rows (nearest first) of the pictures like the record named
    // name within distance bits; Clear Filter ends it like the other filters.
    void showSimilar(const QList<qint64>& rows, const QString& name, int distance);
    // The plain order a filter sorts by: date ascending or descending.
    static int unfilteredOrder(int order);
    // The filter tool: the next of the ten orders, reusing the saved filter texts.
    void nextSortOrder();
    // Gives the open album a password or changes it, then opens it again.
    void setOrChangePassword();

    // Shows record CurrentRow (1-based), clamped to the rows there are.
    void showCurrentRecord();
    // Fills the current-record state and tells the window what the current record holds; its
    // media are read where they are shown. An empty media field is reported here.
    void extractCurrentMedia();
    // Plays the current record's sound, read from the album as it plays; false when it has none.
    bool playCurrentSound(VideoControl& player);

    // The open album's path, query and position, and the current record's texts: kept here,
    // moved and read by the windows that show them.
    OpenAlbumState& albumState() { return m_open; }
    const OpenAlbumState& albumState() const { return m_open; }
    CurrentRecordState& recordState() { return m_current; }

    AlbumDb* album() const { return m_album.get(); }
    // Reads the open album's media off the interface thread; null when no album is open.
    AlbumMedia* mediaSource() const { return m_source.get(); }
    AlbumRecordset* recordset() const { return m_recordset.get(); }
    // Reads the rest of a filter still being read, so that its last record is known.
    void findEveryRow();
    const RecordMedia& media() const { return m_media; }
    int readOnlyFailures() const { return m_readOnlyFailures; }

    // Whether a record's picture plays as a GIF does: an animated WebP. Safe on any thread.
    static bool isAnimatedWebp(const QString& imageFormat, const QByteArray& bytes);

    // The tool identifier of each order, and the filter tool's tip for it.
    static const char* const kSortTools[SortOrderCount];
    static QString sortToolTip(int order, const QString& keywords, const QString& description);

signals:
    void titleChanged(const QString& title);
    // A filter being read found more rows: RecordCount has grown, the rows are at the end.
    void rowsFound();
    void recordsetReset();
    void previewHidden();
    void recordShown(const RecordMedia& media);
    // The query holds no record: nothing is current any more.
    void recordCleared();
    void filterToolChanged(const QString& pictureOf, const QString& tip);
    void recentEntriesChanged(const RecentEntries& entries);
    void recordToolsChanged();
    void captionChanged();
    // An openAlbum() has ended: the album is the open one, or it could not be opened.
    void albumOpened(bool opened);

private:
    struct Opening;
    // Opens the file in the background with the options of the attempt in hand.
    void attemptOpen();
    // After a failed attempt: true when another is to be made (the options changed), false
    // once the reason has been reported.
    bool retryAfter(Opening& opening, const AlbumStatus& status);
    // The album opened: it becomes the open one, on its first record.
    // records: the kept order's rows, read with the album when they could be.
    void adoptAlbum(std::unique_ptr<AlbumDb> album, std::unique_ptr<AlbumRecordset> records);
    void finishOpening(bool opened);
    // Shows the records of query from the first, saying with errorTitle when they cannot be
    // read; their number. ready: the rows of query when they were read already.
    qint64 showQuery(const AlbumQuery& query, const QString& errorTitle,
                     std::unique_ptr<AlbumRecordset> ready = {});
    void rememberRecentAlbum(const QString& path);
    // sortImages; when opening, a kept filter that matches nothing gives way to its date order,
    // so that no album opens locked behind a filter.
    void runSort(int order, bool skipPrompt, bool opening,
                 std::unique_ptr<AlbumRecordset> ready = {});
    // query in order with the kept filter texts; an order out of range keeps query's.
    AlbumQuery queryOf(int order, AlbumQuery query) const;
    // Lets go of the album's media: the player stops reading them, and the files handed to a
    // program outside are removed.
    void releaseMedia();
    // Tells the windows of rows found since, and the title of the count once it is known.
    void noteFoundRows();

    PlaybackState& m_playback;
    Settings& m_settings;
    PromptService& m_prompts;
    VideoControl* m_player = nullptr;
    std::unique_ptr<AlbumDb> m_album;
    std::shared_ptr<AlbumMedia> m_source; // reads m_album: declared after it, so it goes first
    // Hashes the records added without one; stopped before the album is let go of.
    std::unique_ptr<HashFiller> m_hashFiller;
    std::unique_ptr<AlbumRecordset> m_recordset;
    // Reads the rest of a large order's ids between events, a few milliseconds at a time.
    QTimer m_idReading;
    bool m_countTitlePending = false; // the title waits for the count of the rows found
    RecordMedia m_media;
    std::unique_ptr<Opening> m_opening;
    OpenAlbumState m_open;
    CurrentRecordState m_current;
    QString m_lastEnteredPassword; // what the password window returned last
    int m_readOnlyFailures = 0;    // lives as long as the program
};

// What the tools' states depend on, as the browser stands.
ToolContext ToolContextOf(const AlbumBrowser& browser);

} // namespace q32
