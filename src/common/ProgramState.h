#pragma once
// The program-wide state every window reads. main creates the one instance and hands it to the
// windows; nothing reaches it through a global. Procedures take what they work on as arguments;
// what stays here is what several windows share for the life of the program.

#include "common/OptionFlags.h"

#include <QDate>
#include <QString>

namespace q32 {

// The album the main window holds open.
struct OpenAlbumState {
    QString OpenAlbumPath;          // empty while no album is open
    QString AlbumPassword;          // the key it was opened with
    QString AlbumQuery;             // query text of the last sort or filter
    QString SortDirection = "ASC;"; // tail of the last date, file or format query
    qint64 RecordCount = 0;         // records in the current query (wide: albums may be large)
    qint64 CurrentRow = 0;          // 1-based position in the current query
};

// The current record, as the preview, the viewer and the status texts show it.
struct CurrentRecordState {
    QString CurrentImageFile;
    QDate CurrentDate;
    QString CurrentDescription;
    QString CurrentFormatName;
    QString CurrentProperties;
};

struct ProgramState {
    QString AppDir; // per-user program folder, always ending in "/"
    int ScreenWidthPixels = 0;
    int ScreenHeightPixels = 0;

    OptionFlags options;
    OpenAlbumState album;
    CurrentRecordState record;

    bool SlideshowRunning = false;
    bool SoundPlaying = false;
};

} // namespace q32
