#pragma once
// Storing one file as one new album row: its bytes, date, name, format text and properties.
// Preparing a file (reading it, learning its format) needs no album, so the add run does it ahead
// on another thread; storing writes the row and asks the naming questions through the prompt
// service. Shared by the Add Images window and q32 through AddRun.

#include "album/AlbumCondition.h"
#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTemporaryFile>
#include <memory>
#include <optional>

namespace q32 {

class AlbumStore;
class PromptService;

// Where the add run shows what it is doing (the Add Images window's title).
class AddRunSink {
public:
    virtual ~AddRunSink() = default;
    virtual void setTitle(const QString& title) = 0;
};

// What is learnt of a file before its row is written.
struct PreparedFile {
    QString path;       // as listed
    QString storedPath; // what is stored: path, or the JPEG work file of a compressed bitmap
    std::shared_ptr<QTemporaryFile> workFile; // that JPEG, removed with the last copy of this
    qint64 size = 0;
    QByteArray bytes; // the stored file whole when inMemory; else it is streamed from storedPath
    bool inMemory = false;
    QString formatText;
    QString properties;
    QByteArray thumbnail; // the thumbnail view's JPEG; empty: a placeholder; null: not made
    QByteArray sha256;    // of the stored bytes, when they were read whole
    std::optional<quint64> pictureHash; // made with the thumbnail (see PictureHashes.h)
    QDate taken; // when the photo was taken, with PrepareOptions::dateTaken and an EXIF date
    // Set when the file cannot be stored; nothing is written for it.
    ImagingCondition condition = ImagingCondition::None;
};

struct PrepareOptions {
    bool compressStorage = false; // store bitmaps as JPEG
    QString workFolder;           // where the JPEG of a bitmap is written, ending in "/"
    qint64 inMemoryLimit = 0;     // files up to this size are read whole into bytes
    bool makeThumbnail = true;    // the thumbnail view's picture, made while the file is at hand
    bool decodeThumbnail = false; // from the decoded picture too, not only a camera's preview
    bool dateTaken = false;       // read the date the photo was taken
    bool contentHash = true;      // hash the bytes read whole (for an album that keeps hashes)
};

// Reads and inspects path. Touches no album and asks nothing, so it may run on any thread, one
// call at a time (the compressed bitmap's work file is shared). buffer, when given, is reused for
// the file's bytes, so a run does not allocate (and fault in) new memory for every file.
PreparedFile PrepareFile(const QString& path, const PrepareOptions& options,
                         QByteArray buffer = {});

struct StoreContext {
    AlbumStore* album = nullptr;
    PromptService* prompts = nullptr;
    AddRunSink* sink = nullptr;  // may be null
    bool askNames = false;       // a list of exactly one file: ask for its name and description
    bool skipDuplicates = false; // skip a file whose bytes the album already holds
};

// The results the add run acts on.
enum class AddResult { Stored = 0, Skipped = 1, Failed = 2, Cancelled = 9 };

struct AddOutcome {
    AddResult result = AddResult::Failed;
    qint64 rowId = 0;
    // Set when the file could not be read as a picture or clip; nothing was stored.
    ImagingCondition imaging = ImagingCondition::None;
    AlbumStatus album;
    QString reason;       // why it was skipped or failed, in a few words
    qint64 sameAsRow = 0; // skipped: the record that holds the same bytes
};

// Writes the prepared file as a new row (inside the caller's transaction, when there is one).
AddOutcome StorePreparedFile(const StoreContext& context, const PreparedFile& file);

// Prepares and stores one file.
AddOutcome AddFileAsRecord(const StoreContext& context, const QString& path,
                           const PrepareOptions& options);

// The clip format code of a file as it is stored: "mpg" and "mov" by their name (93, 94), every
// other file by its first bytes (AVI, MP4, WebM, ...); 0 for a file that is no clip.
int ClipCodeOf(const QString& path);

// The parts of the properties line: "(12,345 bytes) ", "(640x480) ", "(256 colors)".
QString SizeText(qint64 bytes);
QString DimensionText(int width, int height);
QString ColourText(qint64 colours);

} // namespace q32
