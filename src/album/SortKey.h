#pragma once
// The sort key of a name: bytes whose plain byte order is the order people read names in.
// Without case and accents first ("apple" = "Apple" = "äpple"), numbers by their value
// ("IMG_9" before "IMG_10"), for every script; then accents, then case, break ties.
//
// Written by hand because the album keeps these keys in its indexes: they must come out the same
// byte for byte on every machine and after every library upgrade. ICU's sort keys change with
// its version and QCollator hands out no key bytes. Never change what a key looks like for a
// given text: a new key needs a new function name, index names and kSortKeyAlgorithm.

#include <QByteArray>
#include <QStringView>

namespace q32 {

// Bumped whenever the key of some text would change (also by a new Unicode version of Qt, see
// SortKeyVersion()).
inline constexpr int kSortKeyAlgorithm = 1;

QByteArray NameSortKey(QStringView text);

// The algorithm and the Unicode tables behind the keys, as one number. An album whose keys were
// made under another version gets them rebuilt on its next writable open.
int SortKeyVersion();

} // namespace q32
