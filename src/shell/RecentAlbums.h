#pragma once
// The four-entry list of recent albums: "&N " + path, lower case, most recent first.

#include <QString>
#include <array>
#include <optional>

namespace q32 {

using RecentEntries = std::array<QString, 4>;

// The entry without its "&N " prefix.
QString RecentPath(const QString& entry);

// Moves path to the front. Returns nothing when it already is entry 1 (nothing to write);
// otherwise the four new entries, each "&N " + path in lower case.
std::optional<RecentEntries> MoveToFront(const RecentEntries& entries, const QString& path);

// The factory entries "&1 Database File 1" .. "&4 Database File 4".
RecentEntries FactoryRecentEntries();

} // namespace q32
