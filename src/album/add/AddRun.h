#pragma once
// The add run: stores a list of files as new rows of an open album. Files are read ahead on
// another thread; rows are committed in groups (a durable commit costs several disk flushes), and
// every file is reported only once its group is committed, so what was reported stored is in the
// album whatever happens next. A stop request is honoured after every file. Runs on the calling
// thread; AddRunJob runs it on a worker thread for a window.

#include "album/add/AddRecord.h"

#include <QList>
#include <QMetaType>
#include <QStringList>

namespace q32 {

class AlbumStore;
class PromptService;

struct AddRunOptions {
    bool compressStorage = false; // store bitmaps as JPEG
    QString workFolder;           // where bitmaps' JPEG work files go, ending in "/"
    bool askNames = false;        // ask each file's name and description (a list of one file)
    bool dateTaken = false;       // date records from the photo's EXIF date taken, not today
    // Decode a picture without a camera preview for its thumbnail while adding. Off, such
    // thumbnails are made in the background when the thumbnail view is first shown: decoding
    // costs more than storing the file, and most adds are never looked at as thumbnails at once.
    bool decodeThumbnails = false;
    // Skip a file whose bytes are already stored (the album's older records are hashed first).
    bool skipDuplicates = false;
    // A group is committed once it holds this many bytes or is this old; 0 bytes commits after
    // every file. Each commit waits for the disk while nothing else is stored: on 1,000 photos
    // (4.4 GB) groups of 256 MiB spent 0.6-1.5 s in commits, groups of 1 GiB 0.2-0.6 s, and the
    // age limit still reports a run at least every two seconds.
    qint64 groupBytes = qint64(1024) << 20;
    int groupMilliseconds = 2000;
    // Once this much is stored, the album is flushed on another thread
    // (AlbumStore::flushInBackground): the disk then writes while the next files are read, instead
    // of all at each commit. 16 and 32 MiB did equally well here; 64 MiB left each commit more to
    // do.
    qint64 flushBytes = qint64(32) << 20;
    // Files read ahead of the one being stored; 0 reads each on the run's own thread.
    int readAhead = 2;
    // Files up to this size are read whole, so they go into the album in one write; larger ones
    // (clips) are streamed.
    qint64 inMemoryLimit = qint64(64) << 20;
    // The Add Images window's reaction to a file the imaging layer cannot read: a message box,
    // and the end of the run for anything worse than a damaged file. Off (q32): the file is
    // reported and the run goes on.
    bool fileErrorMessages = false;
};

// One file's fate, reported once it is final.
struct AddItemReport {
    qsizetype index = 0; // position in the list
    QString file;
    AddResult result = AddResult::Failed; // Stored, Skipped or Failed
    QString reason;                       // why it was not stored
    qint64 rowId = 0;                     // the new row, when stored
    qint64 sameAsRow = 0;                 // skipped: the record with the same bytes
    qint64 bytes = 0;
};

// Where the run is, after each file (before its group is committed: for progress displays only).
struct AddProgress {
    qsizetype index = 0; // the file just handled
    qsizetype total = 0;
    QString file;
    AddResult result = AddResult::Failed;
    qint64 storedSoFar = 0; // rows written by this run, committed or not
    qint64 bytesSoFar = 0;
};

struct AddRunSummary {
    enum class End {
        Finished,      // every file was handled
        Stopped,       // the caller asked to stop
        NameCancelled, // the name question was cancelled (one file)
        AlbumFailed,   // the album could not take more (disk full, damage): the run ended
        FileFailed,    // with fileErrorMessages: a file failed in a way that ends the run
    };
    End end = End::Finished;
    qint64 stored = 0;
    qint64 skipped = 0;
    qint64 failed = 0;
    qint64 notAttempted = 0; // files after a stop or an album failure
    QString albumError;      // what ended the run, for AlbumFailed
};

class AddRunListener {
public:
    virtual ~AddRunListener() = default;
    // Polled after every file: true ends the run once the files handled so far are committed.
    virtual bool stopRequested() { return false; }
    virtual void progress(const AddProgress& progress) { (void)progress; }
    // The reports of one group, in list order, once they are final (stored rows committed).
    virtual void reported(const QList<AddItemReport>& reports) { (void)reports; }
    // The Add Images window's title: "BUSY: Adding images to the Depository...", ...
    virtual void setTitle(const QString& title) { (void)title; }
};

class AddRun {
public:
    AddRun(AlbumStore& album, PromptService& prompts, AddRunOptions options = {});
    AddRunSummary run(const QStringList& files, AddRunListener* listener = nullptr);

private:
    AlbumStore& m_album;
    PromptService& m_prompts;
    AddRunOptions m_options;
};

} // namespace q32

Q_DECLARE_METATYPE(q32::AddItemReport)
Q_DECLARE_METATYPE(q32::AddProgress)
Q_DECLARE_METATYPE(q32::AddRunSummary)
