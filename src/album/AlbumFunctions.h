#pragma once
// The SQL functions every album connection has:
//   q32_sortkey1(text)      NameSortKey of the text, for the name and format orders and their
//                           indexes (deterministic and harmless, so an index may use it)
//   q32_like(value, pattern) the filters' match: the album's wildcards (* ? # [set]), without
//                           case for every language

#include "platform/sqlite/SqliteDb.h"

#include <QString>

namespace q32::engine {

void registerFunctions(sqlite::Database& db);

// The match behind q32_like, on case-folded text: "*" any run, "?" one character, "#" one digit,
// "[abc]", "[!abc]", "[a-z]" one character of a set.
bool LikeMatch(QStringView text, QStringView pattern);

} // namespace q32::engine
