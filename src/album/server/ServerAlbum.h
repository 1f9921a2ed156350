#pragma once
// An album kept in a PostgreSQL database, for several computers at once: the same records as an
// album file, with the binary fields stored in pieces of 1 MiB so that no picture or clip is held
// whole on either side. Every row carries a count of its changes (Version), so a save based on
// an older reading is refused rather than overwriting someone else's edit.
//
// One album object uses one connection, from one thread at a time.

#include "album/AlbumMaintenance.h"
#include "album/AlbumStore.h"
#include "platform/postgres/PostgresDb.h"

#include <memory>

namespace q32 {

class ServerAlbum : public AlbumStore {
public:
    // Makes the album's tables in an existing database. FileExists when it already holds an
    // album; NotAnAlbum when it holds other tables (the album wants a database of its own).
    static AlbumStatus create(const QString& uri, const QString& password, bool allowDuplicates);
    // Connects and checks the album. A role that may not add records gets a read-only album.
    // On failure returns null and sets status; nothing is written to a database that is not an
    // album.
    static std::unique_ptr<ServerAlbum> open(const QString& uri, const QString& password,
                                             bool readOnly, AlbumStatus* status);
    ~ServerAlbum() override;
    ServerAlbum(const ServerAlbum&) = delete;
    ServerAlbum& operator=(const ServerAlbum&) = delete;

    QString location() const override { return m_location; }
    bool isReadOnly() const override { return m_readOnly; }
    bool allowsDuplicates() const override { return !m_unique; }

    qint64 rowCount(AlbumStatus* status = nullptr) override;
    std::optional<PictureRecord> record(qint64 rowId, AlbumStatus* status = nullptr) override;
    QList<qint64> rowIds(qint64 after, int limit, AlbumStatus* status = nullptr) override;
    // The rows stream from the server as onRecord takes them; onRecord must not call the album.
    AlbumStatus forEachRecord(const AlbumQuery& query,
                              const std::function<bool(const PictureRecord&)>& onRecord) override;
    AlbumStatus addRecordFrom(const PictureRecord& fields, FieldReader* image,
                              qint64* rowId = nullptr, bool keepRowId = false) override;
    // With fields.version set, RecordChanged when the row was saved since (nothing written).
    AlbumStatus updateRecord(const PictureRecord& fields) override;
    AlbumStatus deleteRecord(qint64 rowId) override;

    qint64 fieldSize(qint64 rowId, PictureField field, AlbumStatus* status = nullptr) override;
    // The reader fetches a piece per next() through this album's connection, which it must not
    // outlive.
    std::unique_ptr<FieldReader> readField(qint64 rowId, PictureField field,
                                           AlbumStatus* status) override;
    AlbumStatus storeField(qint64 rowId, PictureField field, FieldReader& source) override;
    qint64 extractToFile(qint64 rowId, PictureField field, const QString& filePath) override;
    QByteArray thumbnail(qint64 rowId, AlbumStatus* status = nullptr) override;
    AlbumStatus storeThumbnail(qint64 rowId, const QByteArray& jpeg) override;
    std::unique_ptr<WriteGroup> beginGroup(AlbumStatus* status) override;
    // sha256 is not taken on trust: the server album makes it from the bytes it stores.
    AlbumStatus addRecord(const PictureRecord& fields, const QString& imagePath = {},
                          qint64* rowId = nullptr, const QByteArray& sha256 = {}) override;
    AlbumStatus addRecordBytes(const PictureRecord& fields, QByteArrayView image,
                               qint64* rowId = nullptr, const QByteArray& sha256 = {}) override;
    // Every picture gets its hash as it is stored, so none is ever missing.
    bool hasContentHashes() const override { return true; }
    AlbumStatus completeContentHashes(const std::function<bool()>&) override { return {}; }
    std::optional<ContentMatch> findByContent(const QByteArray& sha256,
                                              AlbumStatus* status = nullptr) override;
    QList<DuplicateGroup> findDuplicateGroups(AlbumStatus* status = nullptr) override;
    // A server album keeps no perceptual hashes: Find Similar works on album files.
    AlbumStatus storePictureHash(qint64, std::optional<quint64>) override { return {}; }
    // The server needs no preparing for a series of adds, and makes each commit durable itself.
    std::shared_ptr<void> beginAddRun() override { return {}; }
    void flushInBackground() override {}

    // "PostgreSQL 15.10, over TLS", or "..., connection not encrypted".
    QString serverDescription() const;

    // The server's VACUUM FULL and ANALYZE of the album's tables, with their size before and
    // after; REINDEX for a repair. Only the role that owns the tables may run them.
    CompactReport compact();
    RepairReport repair();

    // Bytes per stored piece of a binary field.
    static constexpr int PieceSize = 1 << 20;

private:
    class PieceReader;
    ServerAlbum() = default;

    // Unexpected while forEachRecord streams (the connection is busy with it).
    AlbumStatus checkIdle() const;
    AlbumStatus checkWritable() const;
    AlbumStatus checkOwner();
    // Runs statement, its %1 replaced by each of the album's tables in turn, until one fails.
    AlbumStatus onEachTable(const QString& statement);
    // Bytes the album's tables take on the server, with their indexes.
    qint64 storedBytes(AlbumStatus* status);
    // Stores what source holds as the field's pieces, where there are none; a picture gets its
    // content hash. In the caller's transaction, which the row's stored size is part of.
    AlbumStatus writePieces(qint64 rowId, PictureField field, FieldReader& source,
                            qint64 expectedSize);
    AlbumStatus readPiece(qint64 rowId, PictureField field, int part, QByteArray& piece);

    pg::Connection m_db;
    QString m_location;
    QString m_sequence; // the sequence behind the row ids
    bool m_readOnly = false;
    bool m_unique = true;
    bool m_streaming = false;
};

} // namespace q32
