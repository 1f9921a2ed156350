#pragma once
// The program-wide state every window reads. main creates the one instance and hands it to the
// windows; nothing reaches it through a global.

#include <QDate>
#include <QString>
#include <cstdint>

namespace q32 {

class AlbumDb;

struct ProgramState {
    // Start-up, settings and shutdown
    QString AppDir; // per-user program folder, always ending in "/"
    int ScreenWidthPixels = 0;
    int ScreenHeightPixels = 0;
    bool AudioCDAutoStart = false;
    bool AutoSound = false;
    bool RandomImages = false;
    bool RandomWipes = false;
    bool ViewFit = false;
    bool CompressStorage = false;
    bool OpeningScreen = false;
    QString ThumbNailsDir;          // file browser start folder, always ending in "/"
    QString FilesPattern;           // file browser pattern
    QString SortDirection = "ASC;"; // tail of the last date/file/format query
    qint64 RecordCount = 0;         // records in the current query (wide: albums may be large)

    // Opening an album
    QString AlbumToOpen;
    QString OpenAlbumPath;
    QString AlbumPassword;
    QString EnteredPassword;
    QString PasswordAlbumPath;
    AlbumDb* AlbumDatabase = nullptr; // the direct handle; owned by the album browser
    qint32 CurrentRow = 0;            // 1-based position in the current query
    QString AlbumQuery;               // query text of the last sort/filter

    // Current record
    QString CurrentImageFile;
    QDate CurrentDate;
    QString CurrentDescription;
    QString CurrentFormatName;
    QString CurrentProperties;
    bool SlideshowRunning = false;
    bool SoundPlaying = false;

    // Add Images
    QString CurrentImagePath;

    // Viewer and slideshow
    int EffectDelay = 0;
    int EffectGrain = 0;
    int SlideInterval = 0;

    // Reports between windows: 0 normal, 1 cancelled/stopped, 2 stopped (empty list or error),
    // 9 nothing added / close the viewer, 99 abort.
    int16_t StatusWord = 0;
    int16_t DialogAccepted = 0; // -1 when the last options window was confirmed
};

} // namespace q32
