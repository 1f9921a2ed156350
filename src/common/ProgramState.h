#pragma once
// The program-wide state several windows share, in parts by owner and lifetime. Nothing reaches
// it through a global: each class receives the parts it uses.

#include "common/OptionFlags.h"

#include <QDate>
#include <QString>

namespace q32 {

// Set once as the program starts, read-only after.
struct ProgramPaths {
    QString AppDir; // per-user program folder, always ending in "/"
    int ScreenWidthPixels = 0;
    int ScreenHeightPixels = 0;
};

// What the viewer is playing; the main window's tools read it.
struct PlaybackState {
    bool SlideshowRunning = false;
    bool SoundPlaying = false;
};

// The album the main window holds open; the album browser owns it.
struct OpenAlbumState {
    QString OpenAlbumPath;          // empty while no album is open
    QString AlbumPassword;          // the key it was opened with
    QString AlbumQuery;             // query text of the last sort or filter
    QString SortDirection = "ASC;"; // tail of the last date, file or format query
    qint64 RecordCount = 0;         // records in the current query (wide: albums may be large)
    qint64 CurrentRow = 0;          // 1-based position in the current query
};

// The current record, as the preview, the viewer and the status texts show it; the album
// browser owns it.
struct CurrentRecordState {
    QString CurrentImageFile;
    QDate CurrentDate;
    QString CurrentDescription;
    QString CurrentFormatName;
    QString CurrentProperties;
};

// What main makes once and hands to the main window, which gives each part only what it uses.
struct ProgramState {
    ProgramPaths paths;
    OptionFlags options;
    PlaybackState playback;
};

} // namespace q32
