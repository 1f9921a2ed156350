#pragma once
// The tables of a server album, their check, and the server's errors as album conditions.
// Not for use outside src/album/server.

#include "album/AlbumCondition.h"
#include "album/AlbumStore.h"
#include "platform/postgres/PostgresDb.h"

namespace q32::server {

// The channel the album's trigger notifies: "insert 12", "update 12", "delete 12".
inline constexpr char kChannel[] = "q32_pictures";

AlbumStatus fromPg(const pg::Error& error);

// A row's id and texts with their sort keys, as $1..$10 of an insert or update: ID, Date,
// SoundType, ImageFile, ImageFormat, ImageProperties, Keywords, Description, NameKey, FormatKey.
pg::Params rowParams(const PictureRecord& record);

// What an open needs to know of an album's database.
struct SchemaState {
    bool unique = false;   // ImageFile is unique without case
    bool writable = false; // the role may add, change and delete records
    QString sequence;      // the row ids' sequence, as a regclass text
    int keysVersion = 0;   // the SortKeyVersion() the sort keys were made with
    bool owner = false;    // the role owns Pictures (and may record a new key version)
};

// Makes the tables, indexes and trigger in the connection's current schema, in one transaction.
// FileExists when an album is there already; NotAnAlbum when other tables are.
AlbumStatus createSchema(pg::Connection& db, bool unique);
// Reads only: NotAnAlbum unless every table of an album is there with its fields.
AlbumStatus checkSchema(pg::Connection& db, SchemaState* state);
// Makes every row's sort keys again with this build's NameSortKey and records its version, in
// one transaction; the rows' Versions stay, their texts did not change.
AlbumStatus rebuildSortKeys(pg::Connection& db);

} // namespace q32::server
