#pragma once
// One open album file: the Pictures table of one SQLCipher database file, checked to be an album
// before any use. Records are identified by row id; media go in and out in pieces.

#include "album/AlbumCondition.h"
#include "platform/sqlite/SqliteDb.h"

#include <QDate>
#include <QString>
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
    qint64 soundSize = 0; // bytes in SoundFile, 0 when none is attached
};

struct OpenOptions {
    bool readOnly = false;
    QString password; // empty: the album is opened as a plain file
};

class AlbumDb {
public:
    // Pages of 64 KiB: pictures and clips are large blobs, and big pages store and read them
    // several times faster than 4 KiB pages (and far faster than SQLCipher's 1 KiB default),
    // measured by bench/album. Encrypted albums must be told the same size after the key.
    static constexpr int PageSize = 65536;

    // Creates an empty album. FileExists when anything is at path.
    static AlbumStatus create(const QString& path, bool allowDuplicates);
    // Opens and checks an album. On failure returns null and sets status.
    static std::unique_ptr<AlbumDb> open(const QString& path, const OpenOptions& options,
                                         AlbumStatus* status);
    ~AlbumDb();
    AlbumDb(const AlbumDb&) = delete;
    AlbumDb& operator=(const AlbumDb&) = delete;

    const QString& path() const { return m_path; }
    bool isReadOnly() const { return m_readOnly; }
    bool isEncrypted() const { return m_encrypted; }
    bool allowsDuplicates() const { return !m_unique; }
    // Whether the album has the index that copies the text fields. A writable open adds it to
    // albums made without it; a read-only one works without it, only slower.
    bool hasTextIndex() const { return m_textIndex; }
    // Changes whenever the rows may have changed, by this connection or another process.
    std::pair<qint64, qint64> changeStamp();
    // How long a write waits for another process before reporting Busy.
    void setBusyTimeout(int ms) { m_db.setBusyTimeout(ms); }

    // Records
    qint64 rowCount(AlbumStatus* status = nullptr);
    std::optional<PictureRecord> record(qint64 rowId, AlbumStatus* status = nullptr);
    // Adds a row with the text fields of fields and, when imagePath is given, that whole file in
    // Image, as one transaction: either the complete row is stored or nothing.
    AlbumStatus addRecord(const PictureRecord& fields, const QString& imagePath = {},
                          qint64* rowId = nullptr);
    // The same with the picture's bytes already in memory (the add run reads files ahead).
    AlbumStatus addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                               qint64* rowId = nullptr);
    // Writes the text fields of fields into the row fields.rowId.
    AlbumStatus updateRecord(const PictureRecord& fields);
    AlbumStatus deleteRecord(qint64 rowId);

    // Media
    // Bytes in a binary field (characters in a text field); 0 for Null; -1 on error.
    qint64 fieldSize(qint64 rowId, PictureField field, AlbumStatus* status = nullptr);
    // Replaces a binary field with the whole file at filePath, streamed in pieces.
    AlbumStatus storeFile(qint64 rowId, PictureField field, const QString& filePath);
    // Replaces a binary field with bytes; a null QByteArray makes it Null.
    AlbumStatus storeBytes(qint64 rowId, PictureField field, const QByteArray& bytes);
    // Reads a binary field whole; for small fields and tests.
    QByteArray readBytes(qint64 rowId, PictureField field, AlbumStatus* status = nullptr);
    // Copies a binary field into filePath in pieces of 8192 bytes, the remainder piece first.
    // Returns the bytes written, 0 for an empty field (filePath untouched), or minus the
    // condition number on error.
    qint64 extractToFile(qint64 rowId, PictureField field, const QString& filePath);

    // Runs the engine's full consistency check.
    AlbumStatus integrityCheck();

    sqlite::Database& connection() { return m_db; }

private:
    AlbumDb() = default;
    AlbumStatus checkWritable() const;
    // Runs an UPDATE or DELETE of one row; NoCurrentRecord when that row is not there.
    AlbumStatus runOnRow(sqlite::Statement& statement);
    // Inserts the texts with an Image of imageSize zero bytes (Null when negative), to be filled
    // through a blob handle; inside the caller's transaction.
    AlbumStatus insertRow(const PictureRecord& fields, qint64 imageSize, qint64* rowId);

    sqlite::Database m_db;
    QString m_path;
    bool m_readOnly = false;
    bool m_encrypted = false;
    bool m_unique = true;
    bool m_textIndex = false;
};

} // namespace q32
