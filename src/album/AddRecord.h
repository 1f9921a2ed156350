#pragma once
// Storing one file as one new album row: its bytes, date, name, format text and properties.
// Shared by the Add Images window and q32; it asks through the prompt service and reports its
// busy text through a sink.

#include "album/AlbumCondition.h"
#include "platform/imaging/ImagingCondition.h"

#include <QString>

namespace q32 {

class AlbumDb;
class PromptService;

// Where the add run shows what it is doing (the Add Images window's title, or stderr).
class AddRunSink {
public:
    virtual ~AddRunSink() = default;
    virtual void setTitle(const QString& title) = 0;
};

struct AddContext {
    AlbumDb* album = nullptr;
    PromptService* prompts = nullptr;
    AddRunSink* sink = nullptr;
    QString appDir;               // work files go here ("compress.jpg")
    bool compressStorage = false; // store bitmaps as JPEG
    int listCount = 0;            // files in the list: exactly one means the naming prompts
};

// The result codes the add run acts on.
enum class AddResult { Stored = 0, Skipped = 1, Failed = 2, Cancelled = 9 };

struct AddOutcome {
    AddResult result = AddResult::Failed;
    qint64 rowId = 0;
    // Set when the file could not be read as a picture or clip; nothing was stored.
    ImagingCondition imaging = ImagingCondition::None;
    AlbumStatus album;
    QString reason; // why it was skipped or failed, in a few words
};

AddOutcome AddRectoDB(const AddContext& context, const QString& path);

// The parts of the properties line: "(12,345 bytes) ", "(640x480) ", "(256 colors)".
QString SizeText(qint64 bytes);
QString DimensionText(int width, int height);
QString ColourText(qint64 colours);

} // namespace q32
