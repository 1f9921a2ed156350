#pragma once
// Where the program keeps its files: AppDir (per user, writable) and the shipped share folder.

#include <QString>

namespace q32 {

// $QUILLON32_HOME, else the user's data folder + "quillon32/"; created (0700) when missing; ends
// in "/".
QString ComputeAppDir();

// The folder with the shipped read-only files: $QUILLON32_SHARE_DIR, else ../share/quillon32
// beside the executable, else the source tree's data folder (running from a build tree).
QString ShareDir();

// Copies every shipped file that AppDir lacks, readable by the user only. Returns false when a
// copy failed.
bool CopyShippedFiles(const QString& appDir);

} // namespace q32

namespace q32 {

// The path as it exists on disk when it differs only in letter case from one that does
// (recent-album entries are kept in lower case); the path unchanged when nothing matches.
QString ResolvePathCase(const QString& path);

} // namespace q32
