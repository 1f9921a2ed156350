#pragma once
// What every album offers, whichever engine keeps it: the SQLCipher file (AlbumDb) or a
// PostgreSQL server (ServerAlbum). Records are named by row id; binary fields go in and out in
// pieces, so a clip of gigabytes is never held whole where the engine does not need it.

#include "album/AlbumCondition.h"
#include "album/AlbumQuery.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace q32 {

// The ten fields of Pictures, in the order of the table.
enum class PictureField {
    Date,
    Thumbnail,
    Image,
    SoundFile,
    SoundType,
    ImageFile,
    ImageFormat,
    ImageProperties,
    Keywords,
    Description
};

const char* PictureFieldName(PictureField field);
// Size in characters of a text field; 0 for the binary fields, the date and the memo.
int PictureFieldSize(PictureField field);
bool IsBinaryField(PictureField field);

// The text fields of one row; the binary fields are read only on request.
struct PictureRecord {
    qint64 rowId = 0;
    QDate date; // null date = Null
    QString soundType;
    QString imageFile;
    QString imageFormat;
    QString imageProperties;
    QString keywords;
    QString description;
    qint64 soundSize = 0; // bytes in SoundFile, 0 when none is attached, -1 when not read
    // A server album's count of the row's changes, to tell a save that someone else changed it
    // since it was read; 0 where the engine keeps none.
    qint64 version = 0;
};

// A record found by the content hash of its picture.
struct ContentMatch {
    qint64 rowId = 0;
    QString imageFile;
};

// Records whose pictures are byte for byte the same (a group has two or more).
struct DuplicateGroup {
    QByteArray sha256;
    QList<ContentMatch> records;
};

// The texts an album accepts: EmptyKey or FieldTooLong otherwise.
AlbumStatus CheckRecordTexts(const PictureRecord& record);

// A binary field read front to back.
class FieldReader {
public:
    virtual ~FieldReader() = default;
    // Bytes in the field; -1 for Null.
    virtual qint64 size() const = 0;
    // The next piece into piece, empty once every byte was read.
    virtual AlbumStatus next(QByteArray& piece) = 0;
};

// Reads a file on disk as a field.
std::unique_ptr<FieldReader> FileFieldReader(const QString& path, AlbumStatus* status);
// Reads bytes in memory as a field, without a copy of them: they must outlive the reader.
std::unique_ptr<FieldReader> BytesFieldReader(QByteArrayView bytes);

// Changes made together: all kept by commit(), none when the group goes without it.
class WriteGroup {
public:
    virtual ~WriteGroup() = default;
    virtual AlbumStatus commit() = 0;
};

class AlbumStore {
public:
    virtual ~AlbumStore() = default;

    // The file's path, or the server album's URI without its password.
    virtual QString location() const = 0;
    virtual bool isReadOnly() const = 0;
    virtual bool allowsDuplicates() const = 0;

    // Records
    virtual qint64 rowCount(AlbumStatus* status = nullptr) = 0;
    virtual std::optional<PictureRecord> record(qint64 rowId, AlbumStatus* status = nullptr) = 0;
    // Row ids above after, ascending, at most limit of them.
    virtual QList<qint64> rowIds(qint64 after, int limit, AlbumStatus* status = nullptr) = 0;
    // Hands the records of query to onRecord in its order until it returns false. onRecord must
    // not call the album meanwhile: a server album's connection is busy streaming them.
    virtual AlbumStatus
    forEachRecord(const AlbumQuery& query,
                  const std::function<bool(const PictureRecord&)>& onRecord) = 0;
    // Adds a row with the text fields and, when given, the picture in Image: the complete row or
    // nothing. keepRowId stores it under fields.rowId (a copy keeps its source's ids).
    virtual AlbumStatus addRecordFrom(const PictureRecord& fields, FieldReader* image,
                                      qint64* rowId = nullptr, bool keepRowId = false) = 0;
    // Writes the text fields of fields into the row fields.rowId.
    virtual AlbumStatus updateRecord(const PictureRecord& fields) = 0;
    virtual AlbumStatus deleteRecord(qint64 rowId) = 0;

    // Media
    // Bytes in a binary field (characters in a text field); 0 for Null; -1 on error.
    virtual qint64 fieldSize(qint64 rowId, PictureField field, AlbumStatus* status = nullptr) = 0;
    virtual std::unique_ptr<FieldReader> readField(qint64 rowId, PictureField field,
                                                   AlbumStatus* status) = 0;
    // Copies a binary field into filePath. Returns the bytes written, 0 for an empty or Null
    // field (filePath untouched), or minus the condition number on error.
    virtual qint64 extractToFile(qint64 rowId, PictureField field, const QString& filePath) = 0;
    // Replaces a binary field with what source holds (Null when its size is -1).
    virtual AlbumStatus storeField(qint64 rowId, PictureField field, FieldReader& source) = 0;
    // The record's stored thumbnail (a JPEG; empty when it has none yet).
    virtual QByteArray thumbnail(qint64 rowId, AlbumStatus* status = nullptr) = 0;
    virtual AlbumStatus storeThumbnail(qint64 rowId, const QByteArray& jpeg) = 0;

    // A group of changes kept or dropped together; null with status set when none can start.
    virtual std::unique_ptr<WriteGroup> beginGroup(AlbumStatus* status) = 0;

    // Adding (the add run)
    // Adds a row with the text fields and, when imagePath is given, that whole file in Image:
    // the complete row or nothing. sha256, when given, is the picture's content hash.
    virtual AlbumStatus addRecord(const PictureRecord& fields, const QString& imagePath = {},
                                  qint64* rowId = nullptr, const QByteArray& sha256 = {}) = 0;
    // The same with the picture's bytes in memory (the add run reads files ahead).
    virtual AlbumStatus addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                                       qint64* rowId = nullptr, const QByteArray& sha256 = {}) = 0;
    // True when the album keeps its pictures' content hashes, so duplicates can be found.
    virtual bool hasContentHashes() const = 0;
    // Makes the hashes of pictures stored without one, so that findByContent sees them all;
    // Cancelled when stop says so between records.
    virtual AlbumStatus completeContentHashes(const std::function<bool()>& stop) = 0;
    // The record (of the lowest row id) whose picture has the content hash sha256.
    virtual std::optional<ContentMatch> findByContent(const QByteArray& sha256,
                                                      AlbumStatus* status = nullptr) = 0;
    // Records whose pictures are the same, in groups in the row id order of their first record,
    // each group in row id order; records without a picture are left out.
    virtual QList<DuplicateGroup> findDuplicateGroups(AlbumStatus* status = nullptr) = 0;
    // The perceptual hash made with a new record's thumbnail (for Find Similar); an album with
    // no place for them keeps none.
    virtual AlbumStatus storePictureHash(qint64 rowId, std::optional<quint64> hash) = 0;
    // Prepares the album for a long series of adds, until the returned object goes.
    virtual std::shared_ptr<void> beginAddRun() = 0;
    // Asks for what was committed to reach the disk, without waiting for it.
    virtual void flushInBackground() = 0;
};

// True for an album named by a postgresql:// (or postgres://) URI rather than a file path.
bool IsServerAlbumName(const QString& name);

} // namespace q32
