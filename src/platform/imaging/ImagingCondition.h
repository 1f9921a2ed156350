#pragma once
// What can go wrong in the imaging layer, numbered the way the windows react to it:
// 20010 missing file, 20030..20062 a file that is there but cannot be read, 20101 not a picture.

#include <QString>

namespace q32 {

enum class ImagingCondition : int {
    None = 0,
    Failure = 20000, // anything not named below
    FileNotFound = 20010,
    FileUnreadable = 20011, // there, but no permission to read it
    Damaged = 20030,        // the data contradicts itself
    Truncated = 20031,      // the data ends early
    EmptyFile = 20032,      // zero bytes
    ImpossibleSize = 20033, // the header declares a width or height of zero or less
    TooLarge = 20040,       // declared size beyond what we are willing to allocate
    PageNotFound = 20041,
    CannotWrite = 20050,    // the destination cannot be created or written
    InvalidBits = 20061,    // bits per pixel the format cannot hold
    InvalidQuality = 20062, // quality factor outside its range
    UnrecognisedFormat = 20101,
    NoWriter = 20102,     // a known format we cannot write
    MediaTimeout = 20110, // a clip's information did not arrive in time
};

inline int ConditionNumber(ImagingCondition c) {
    return static_cast<int>(c);
}

// A short English description for the "unexpected error" message boxes.
QString ConditionText(ImagingCondition c);

} // namespace q32
