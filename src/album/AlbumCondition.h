#pragma once
// The conditions the album layer reports, numbered as the windows' reaction tables know them.
// The album layer never shows a message: it returns a condition and the window reacts.

#include <QString>

namespace q32 {

enum class AlbumCondition {
    None = 0,
    PathAccess = 75,          // a file outside the album (work file, folder) cannot be written
    NoCurrentRecord = 3021,   // no row at that position or with that row id
    DuplicateKey = 3022,      // ImageFile already present and the index is unique
    FileNotFound = 3024,      // the album file does not exist
    DiskFull = 3026,          // no space left (or the file size limit was reached)
    WrongPassword = 3031,     // missing or wrong password
    Damaged = 3049,           // the album file is corrupt; repair may save its rows
    CannotWrite = 3051,       // file, folder or medium is read-only
    EmptyKey = 3058,          // ImageFile empty
    NotAnAlbum = 3078,        // no Pictures table with its fields, or something that runs code
    ServerUnreachable = 3151, // no album server answers, or the connection to it was lost
    FieldTooLong = 3163,      // a text longer than its field
    RecordChanged = 3197,     // someone else saved the record since it was read
    FileExists = 3204,        // creating over an existing file
    Busy = 3260,              // another process holds the album
    Cancelled = 3426,         // the action was cancelled
    Unexpected = 3000,        // anything else; the detail text says what
};

// The album's own wording of a condition, for the messages of unexpected errors.
QString AlbumConditionText(AlbumCondition condition);

// A condition with the engine's detail text.
struct AlbumStatus {
    AlbumCondition condition = AlbumCondition::None;
    QString detail;

    bool ok() const { return condition == AlbumCondition::None; }
    int number() const { return int(condition); }
    QString text() const;
};

} // namespace q32
