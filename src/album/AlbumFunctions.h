#pragma once
// The SQL functions every album connection has:
//   q32_sortkey1(text)      NameSortKey of the text, for the name and format orders and their
//                           indexes (deterministic and harmless, so an index may use it)
//   q32_like(value, pattern) the filters' match: the album's wildcards (WildcardMatch), without
//                           case for every language

#include "platform/sqlite/SqliteDb.h"

#include <QString>

namespace q32::engine {

void registerFunctions(sqlite::Database& db);

} // namespace q32::engine
