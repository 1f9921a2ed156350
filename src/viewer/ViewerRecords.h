#pragma once
// What the viewer needs of the album browser: the current record's media in its work files,
// its sound, its description, its deletion, and a record's picture ahead of time.

#include <QString>

namespace q32 {

class VideoControl;

struct ViewerMedia {
    enum class Kind { Still, Gif, Video };
    Kind kind = Kind::Still;
    QString path; // the work file: "image.pic", "image.gif" or "pelorus.vid"
    bool hasSound = false;
};

class ViewerRecords {
public:
    virtual ~ViewerRecords() = default;
    // Writes the record at CurrentRow into its work file and fills the current-record state.
    // With ahead (a file written by extractAhead for this row) the file becomes the work file
    // instead of being read from the album again. False when the record could not be read
    // (the album browser has said why).
    virtual bool loadCurrent(ViewerMedia& media, const QString& ahead = {}) = 0;
    // Writes the picture of row (1-based) to file; false for clips, GIFs and failures.
    virtual bool extractAhead(qint64 row, const QString& file) = 0;
    // Plays the current record's sound; false when it has none.
    virtual bool playSound(VideoControl& player) = 0;
    // Stores the text as the current record's description.
    virtual bool storeDescription(const QString& text) = 0;
    // Deletes the current record after asking; false when it is still there (the answer was
    // Cancel, or it could not be removed). RecordCount tells what is left.
    virtual bool deleteCurrent() = 0;
};

} // namespace q32
