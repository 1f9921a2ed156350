#pragma once
// The four-entry list of recent albums: "&N " + path, most recent first. Paths are kept exactly
// as they are: file names are case-sensitive, so "Album.mdb" and "album.mdb" are two albums.

#include <QString>
#include <array>
#include <optional>

namespace q32 {

using RecentEntries = std::array<QString, 4>;

// The entry without its "&N " prefix.
QString RecentPath(const QString& entry);

// Moves path to the front. Returns nothing when it already is entry 1 (nothing to write);
// otherwise the four new entries, each "&N " + path.
std::optional<RecentEntries> MoveToFront(const RecentEntries& entries, const QString& path);

// The factory entries "&1 Database File 1" .. "&4 Database File 4".
RecentEntries FactoryRecentEntries();

// True for an entry that names an album: a blank entry or a factory caption, wherever the list
// has moved it, names none.
bool IsAlbumEntry(const QString& entry);

} // namespace q32
