#pragma once
// Helpers the album files share: opening a connection with its key and settings, checking that a
// file is an album, and mapping engine codes to conditions. Not for use outside src/album.

#include "album/AlbumCondition.h"
#include "platform/sqlite/SqliteDb.h"

#include <QString>

namespace q32::engine {

AlbumStatus fromSqlite(const sqlite::Error& error);

// Opens path with flags, presents the key (when given) and checks the file can be read.
// encrypted tells whether the key was needed. Never writes to the file.
AlbumStatus openKeyed(const QString& path, int flags, const QString& password, sqlite::Database& db,
                      bool* encrypted);

// The index that holds a copy of every text field, so that the orders, the filters and the rows
// of the grid are read from small index pages instead of rows that carry whole pictures.
extern const char* const kTextIndex;

// Pictures with its ten fields, and no trigger, view or virtual table. unique receives the
// index's uniqueness; textIndex (when given) whether the text index is there as we make it.
AlbumStatus verifyAlbum(sqlite::Database& db, bool* unique, bool* textIndex = nullptr);

// The Pictures table and its indexes; run inside a transaction on an empty schema.
AlbumStatus createSchema(sqlite::Database& db, const QString& schema, bool unique);

// Adds the text index to an album made without it, as one transaction.
AlbumStatus addTextIndex(sqlite::Database& db);

// Settings every connection gets: page size for the key, journal, cache, the functions.
void configure(sqlite::Database& db, bool encrypted);

// Writes to an attached schema: sets its key and page size. Used by export.
AlbumStatus attachTarget(sqlite::Database& db, const QString& path, const QString& schema,
                         const QString& password);

// Renames over target and flushes the folder, so the switch survives a crash.
bool atomicReplace(const QString& source, const QString& target);

} // namespace q32::engine
