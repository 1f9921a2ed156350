#pragma once
// The one wildcard matcher, for file patterns and the album's filters.

#include <QStringView>

namespace q32 {

enum class Wildcards {
    FileName, // "*" any run, "?" one character
    Album,    // those, "#" one digit, and "[abc]", "[!abc]", "[a-z]" one character of a set
};

// Whether text matches pattern, both already case-folded. A "[" without a "]" after it stands for
// itself.
bool WildcardMatch(QStringView text, QStringView pattern, Wildcards wildcards);

} // namespace q32
