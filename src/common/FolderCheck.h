#pragma once
// Whether a folder can be listed, and if not, whether it is simply not there (callers then fall
// back to another folder) or something else stands in the way, in the system's own words.

#include <QString>

namespace q32 {

struct FolderCheck {
    enum class Result { Usable, Missing, Failed };
    Result result = Result::Usable;
    QString reason; // for Failed: "Permission denied", "Too many levels of symbolic links" ...
};

FolderCheck CheckFolder(const QString& folder);

} // namespace q32
