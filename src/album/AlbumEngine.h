#pragma once
// Helpers the album files share: opening a connection with its key and cipher settings, the
// settings every connection gets, and mapping engine codes to conditions. The schema and its
// check are in AlbumSchema.h. Not for use outside src/album.

#include "album/AlbumCondition.h"
#include "platform/sqlite/SqliteDb.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace q32::engine {

AlbumStatus fromSqlite(const sqlite::Error& error);

// How an album's pages are stored.
enum class CipherFormat {
    Plain,    // no password: a plain SQLite file
    Current,  // SQLCipher 4 with our settings (see AlbumEngine.cpp)
    Version3, // made by the SQLCipher 3 build; migrated on a writable open
};

// Opens path with flags, presents the key (when given) in the current format and then in the
// SQLCipher 3 one, and checks the file can be read. format tells which one opened it. Registers
// the album's SQL functions. Never writes to the file.
AlbumStatus openKeyed(const QString& path, int flags, const QString& password, sqlite::Database& db,
                      CipherFormat* format);

// The page cache every connection gets, in KiB (see configure()).
constexpr int kCacheKib = 2048;
// Settings every connection gets: journal, flushes, cache.
void configure(sqlite::Database& db);

// Writes to an attached schema: sets its key and cipher settings (the current format). Used by
// export, password changes and the migration of SQLCipher 3 albums.
AlbumStatus attachTarget(sqlite::Database& db, const QString& path, const QString& schema,
                         const QString& password);

// The same with the key main was opened with, taken over without deriving it again (the new
// file gets main's salt). Only for a main schema in the current format, encrypted.
AlbumStatus attachTargetWithMainKey(sqlite::Database& db, const QString& path,
                                    const QString& schema);

// Whether the main schema has a table of that name.
bool hasTable(sqlite::Database& db, const QString& name);
// The row ids of Pictures that have no row in table (keyed by ID; a table that is not there has
// none), ascending. Both id lists are read front to back and compared here: looking each row up
// in table from the name index's order reads its pages at random (11 s for a million records).
// Only ids are read from Pictures, so they come from its smallest index, never from the table's
// pages that hold the pictures. stop, asked now and then, gives nullopt.
std::optional<QList<qint64>> rowsWithout(sqlite::Database& db, const QString& table,
                                         const std::function<bool()>& stop, sqlite::Error* error);

// Renames over target and flushes the folder, so the switch survives a crash.
bool atomicReplace(const QString& source, const QString& target);

} // namespace q32::engine
