#pragma once
// The temporary folder a benchmark works in.

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace q32::bench {

// Its path; a folder that could not be made ends the run, so that nothing is written beside it
// (an empty path would put the benchmark's files at the root).
inline QString WorkFolder(const QTemporaryDir& dir) {
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a work folder: %s\n", qPrintable(dir.errorString()));
        std::exit(2);
    }
    return dir.path();
}

} // namespace q32::bench
