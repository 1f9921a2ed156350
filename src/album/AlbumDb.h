#pragma once
// One open album file: the Pictures table of one SQLCipher database file, checked to be an album
// before any use. Records are identified by row id; media go in and out in pieces.

#include "album/AlbumStore.h"
#include "platform/sqlite/SqliteDb.h"

#include <QDate>
#include <QString>
#include <memory>
#include <optional>

namespace q32 {

struct OpenOptions {
    bool readOnly = false;
    QString password; // empty: the album is opened as a plain file
    // A writable open converts an album protected by the SQLCipher 3 build to the current
    // format. Compaction and password changes write a new file anyway and turn this off.
    bool migrate = true;
    // A writable open gives an album made by an earlier build the content hash table. Off, such
    // an album stays as that build made it and its pictures are never hashed (bench/add adds to
    // one for reference).
    bool addContentHashes = true;
};

class BackgroundFlush;

class AlbumDb : public AlbumStore {
public:
    // Pages of 64 KiB: pictures and clips are large blobs, and big pages store and read them
    // several times faster than the 4 KiB default, measured by bench/album. Encrypted albums
    // must be told the same size after the key.
    static constexpr int PageSize = 65536;

    // Creates an empty album. FileExists when anything is at path.
    static AlbumStatus create(const QString& path, bool allowDuplicates);
    // Opens and checks an album. On failure returns null and sets status.
    static std::unique_ptr<AlbumDb> open(const QString& path, const OpenOptions& options,
                                         AlbumStatus* status);
    ~AlbumDb() override;
    AlbumDb(const AlbumDb&) = delete;
    AlbumDb& operator=(const AlbumDb&) = delete;

    const QString& path() const { return m_path; }
    QString location() const override { return m_path; }
    bool isReadOnly() const override { return m_readOnly; }
    bool isEncrypted() const { return m_cipher != Cipher::None; }
    // Protected by the SQLCipher 3 build and not converted yet (opened read-only, or the
    // conversion could not be made: a full disk).
    bool hasVersion3Encryption() const { return m_cipher == Cipher::Version3; }
    bool allowsDuplicates() const override { return !m_unique; }
    // The indexes the orders read their rows from. A writable open adds the ones an album made by
    // an earlier build lacks; a read-only one works without them, only slower.
    const OrderIndexes& orderIndexes() const { return m_indexes; }
    // The album keeps its pictures' content hashes (see ContentHashes.h): every album a writable
    // open has seen, and every new one.
    bool hasContentHashes() const override { return m_contentHashes; }
    // Changes whenever the rows may have changed, by this connection or another process.
    std::pair<qint64, qint64> changeStamp();
    // How long a write waits for another process before reporting Busy.
    void setBusyTimeout(int ms) { m_db.setBusyTimeout(ms); }

    // Records
    qint64 rowCount(AlbumStatus* status = nullptr) override;
    std::optional<PictureRecord> record(qint64 rowId, AlbumStatus* status = nullptr) override;
    // Adds a row with the text fields of fields and, when imagePath is given, that whole file in
    // Image: either the complete row is stored or nothing. sha256, when given, is the picture's
    // content hash, stored with the row in the same transaction (the add run makes it while
    // reading ahead when it skips duplicates); without it the row has no hash until one is made
    // from the stored bytes (ContentHashes.h), so adding never waits for hashing.
    AlbumStatus addRecord(const PictureRecord& fields, const QString& imagePath = {},
                          qint64* rowId = nullptr, const QByteArray& sha256 = {}) override;
    // The same with the picture's bytes already in memory (the add run reads files ahead).
    AlbumStatus addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                               qint64* rowId = nullptr, const QByteArray& sha256 = {}) override;
    // Writes the text fields of fields into the row fields.rowId.
    AlbumStatus updateRecord(const PictureRecord& fields) override;
    AlbumStatus deleteRecord(qint64 rowId) override;

    // Media
    // Bytes in a binary field (characters in a text field); 0 for Null; -1 on error.
    qint64 fieldSize(qint64 rowId, PictureField field, AlbumStatus* status = nullptr) override;
    // Replaces a binary field with the whole file at filePath.
    AlbumStatus storeFile(qint64 rowId, PictureField field, const QString& filePath);
    // Replaces a binary field with bytes; a null QByteArray makes it Null.
    AlbumStatus storeBytes(qint64 rowId, PictureField field, const QByteArray& bytes);
    // Reads a binary field whole; for small fields and tests.
    QByteArray readBytes(qint64 rowId, PictureField field, AlbumStatus* status = nullptr);
    // Copies a binary field into filePath in pieces of 8192 bytes, the remainder piece first.
    // Returns the bytes written, 0 for an empty field (filePath untouched), or minus the
    // condition number on error.
    qint64 extractToFile(qint64 rowId, PictureField field, const QString& filePath) override;

    // Runs the engine's full consistency check.
    AlbumStatus integrityCheck();
    // Has the album's pages written so far flushed to the disk on another thread, without waiting,
    // and then dropped from the kernel's file cache (see BackgroundFlush.h). A long run of stores
    // calls it now and then.
    void flushInBackground() override;

    // The rest of AlbumStore (AlbumDbStore.cpp).
    QList<qint64> rowIds(qint64 after, int limit, AlbumStatus* status = nullptr) override;
    AlbumStatus forEachRecord(const AlbumQuery& query,
                              const std::function<bool(const PictureRecord&)>& onRecord) override;
    AlbumStatus addRecordFrom(const PictureRecord& fields, FieldReader* image,
                              qint64* rowId = nullptr, bool keepRowId = false) override;
    std::unique_ptr<FieldReader> readField(qint64 rowId, PictureField field,
                                           AlbumStatus* status) override;
    AlbumStatus storeField(qint64 rowId, PictureField field, FieldReader& source) override;
    QByteArray thumbnail(qint64 rowId, AlbumStatus* status = nullptr) override;
    AlbumStatus storeThumbnail(qint64 rowId, const QByteArray& jpeg) override;
    std::unique_ptr<WriteGroup> beginGroup(AlbumStatus* status) override;
    AlbumStatus completeContentHashes(const std::function<bool()>& stop) override;
    std::optional<ContentMatch> findByContent(const QByteArray& sha256,
                                              AlbumStatus* status = nullptr) override;
    AlbumStatus storePictureHash(qint64 rowId, std::optional<quint64> hash) override;
    QList<DuplicateGroup> findDuplicateGroups(AlbumStatus* status = nullptr) override;
    // A larger page cache while it lasts (see AlbumDbStore.cpp).
    std::shared_ptr<void> beginAddRun() override;

    sqlite::Database& connection() { return m_db; }

private:
    AlbumDb() = default;
    AlbumStatus checkWritable() const;
    // Runs an UPDATE or DELETE of one row; NoCurrentRecord when that row is not there.
    AlbumStatus runOnRow(sqlite::Statement& statement);
    // Inserts a row with the texts and the picture (Null when none).
    AlbumStatus insertRow(const PictureRecord& fields, std::optional<QByteArrayView> image,
                          qint64* rowId, const QByteArray& sha256, bool keepRowId = false);
    // Replaces a binary field; a new picture gets its new content hash in the same transaction.
    AlbumStatus replaceField(qint64 rowId, PictureField field, QByteArrayView bytes, bool null);

    enum class Cipher { None, Current, Version3 };
    // Opens m_db with flags and checks the schema.
    AlbumStatus openChecked(int flags, const QString& password);

    sqlite::Database m_db;
    sqlite::Statement m_insert; // finalized before m_db closes: declared after it
    QString m_path;
    bool m_readOnly = false;
    Cipher m_cipher = Cipher::None;
    bool m_unique = true;
    bool m_keysCurrent = false;
    bool m_contentHashes = false;
    OrderIndexes m_indexes;
    std::unique_ptr<BackgroundFlush> m_flush;
};

} // namespace q32
