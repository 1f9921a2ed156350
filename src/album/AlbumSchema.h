#pragma once
// What an album file holds, and the check that a file is one. An album is the Pictures table
// with its ten fields plus the program's own side objects, each exactly as the engine makes it:
// the name index and the order indexes today, more (thumbnails, content hashes) as they come.
// Anything that could run code (a trigger, a view, a virtual table, an index on an expression
// that is not ours) or that we do not know (another table) makes the file "not an album".
// Not for use outside src/album.

#include "album/AlbumCondition.h"
#include "album/AlbumQuery.h"
#include "platform/sqlite/SqliteDb.h"

#include <QString>

namespace q32::engine {

struct SchemaState {
    bool unique = true; // Primary_Key refuses a second picture of the same name
    OrderIndexes indexes;
    bool keysCurrent = false;   // the order indexes' keys were made by this build's key
    bool contentHashes = false; // the ContentHashes table is there
};

// Checks the schema of db's main database; fills state.
AlbumStatus verifyAlbum(sqlite::Database& db, SchemaState* state);

// The Pictures table and all our objects; run inside a transaction on an empty schema.
AlbumStatus createSchema(sqlite::Database& db, const QString& schema, bool unique);

// On a writable open: adds the order indexes an album made by an earlier build lacks and
// rebuilds keys made under another key version, as one transaction; state follows. When that
// cannot be done now (busy, full disk) the album is left as it was and works without them.
AlbumStatus completeSchema(sqlite::Database& db, SchemaState& state);

} // namespace q32::engine
