#pragma once
// The content hash table as the album layer keeps it (see ContentHashes.h). Not for use outside
// src/album.

#include "platform/sqlite/SqliteDb.h"

#include <QByteArray>
#include <QString>

namespace q32::engine {

// The table or its index, exactly as createContentHashes makes them (sql as sqlite_master holds
// it, simplified).
bool isContentHashObject(const QString& type, const QString& name, const QString& sql);

// Creates the table and its index in schema; inside the caller's transaction.
sqlite::Error createContentHashes(sqlite::Database& db, const QString& schema);

// On a writable open: gives an album made by an earlier build the (empty) table, as one
// transaction. True when the album has it afterwards.
bool completeContentHashes(sqlite::Database& db, bool present);

sqlite::Error storeContentHash(sqlite::Database& db, qint64 rowId, const QByteArray& sha256);
sqlite::Error dropContentHash(sqlite::Database& db, qint64 rowId);

// SHA-256 of a record's stored picture, read in pieces; empty for a record without one.
QByteArray hashStoredPicture(sqlite::Database& db, qint64 rowId, sqlite::Error* error);

} // namespace q32::engine
