#pragma once

namespace q32 {

// The option tools' checked states, copied here whenever a tool changes.
struct OptionFlags {
    bool AudioCDAutoStart = false;
    bool AutoSound = false;
    bool RandomImages = false;
    bool RandomWipes = false;
    bool ViewFit = false;
    bool CompressStorage = false;
    bool DateTakenFromPhoto = false; // new records dated by their photo's EXIF date taken
    bool OpeningScreen = false;
};

} // namespace q32
