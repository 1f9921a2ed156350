#include "album/AddRecord.h"

#include "album/AlbumDb.h"
#include "album/FormatTable.h"
#include "common/Text.h"
#include "platform/imaging/Imaging.h"
#include "platform/media/MediaInfo.h"
#include "platform/prompt/PromptService.h"

#include <QDate>
#include <QFileInfo>

namespace q32 {
namespace {

// A cancelled save is tried again, but never without end.
constexpr int kCancelledRetries = 3;

QString lastThree(const QString& path) {
    return path.right(3).toLower();
}

struct Inspection {
    QString formatText;
    QString dimensions;
    qint64 colours = 0;
    ImagingCondition condition = ImagingCondition::None;
};

qint64 coloursOf(int bitsPerPixel) {
    // Deep pictures (16 bits a channel) are shown at 8 bits a channel: count those colours.
    if (bitsPerPixel == 48)
        bitsPerPixel = 24;
    else if (bitsPerPixel == 64)
        bitsPerPixel = 32;
    return bitsPerPixel <= 0 || bitsPerPixel > 32 ? 0 : (qint64(1) << bitsPerPixel);
}

Inspection inspect(const QString& storedPath) {
    Inspection out;
    const QString kind = lastThree(storedPath);
    if (kind == QLatin1String("mpg") || kind == QLatin1String("mov")) {
        MediaInfo clip;
        out.condition = ReadMediaInfo(storedPath, clip);
        out.formatText = FixedFormatText(storedPath);
        out.dimensions = DimensionText(clip.width, clip.height);
        out.colours = qint64(1) << 24;
        return out;
    }
    ImageInfo info;
    out.condition = ReadImageInfo(storedPath, info);
    if (out.condition != ImagingCondition::None)
        return out;
    out.formatText =
        kind == QLatin1String("gif") ? FixedFormatText(storedPath) : FormatText(info.formatCode);
    out.dimensions = DimensionText(info.width, info.height);
    // A GIF's colours come from its own depth, as for every other picture.
    out.colours = coloursOf(info.bitsPerPixel);
    return out;
}

// Converts a bitmap to the JPEG work file; returns the path to store, or an empty string.
QString compressBitmap(const AddContext& context, const QString& path,
                       ImagingCondition& condition) {
    QImage image;
    condition = LoadImage(path, image, LoadOptions{{}, false, 0, false});
    if (condition != ImagingCondition::None)
        return {};
    const QString target = context.appDir + QStringLiteral("compress.jpg");
    condition = SaveImage(image.convertToFormat(QImage::Format_RGB888), target,
                          SaveOptions{10, 24, 20, false});
    return condition == ImagingCondition::None ? target : QString();
}

} // namespace

QString SizeText(qint64 bytes) {
    return QStringLiteral("(") + FormatThousands(bytes) + QStringLiteral(" bytes) ");
}

QString DimensionText(int width, int height) {
    return QStringLiteral("(%1x%2) ").arg(width).arg(height);
}

QString ColourText(qint64 colours) {
    return QStringLiteral("(") + FormatThousands(colours) + QStringLiteral(" colors)");
}

AddOutcome AddRectoDB(const AddContext& context, const QString& path) {
    PromptService& prompts = *context.prompts;
    BusyGuard busy(prompts);
    context.sink->setTitle(QStringLiteral("BUSY: Adding images to the Depository..."));
    AddOutcome outcome;

    // Bitmaps go in as JPEG when storage is compressed.
    QString stored = path;
    if (context.compressStorage && lastThree(path) == QLatin1String("bmp")) {
        stored = compressBitmap(context, path, outcome.imaging);
        if (stored.isEmpty()) {
            outcome.reason = ConditionText(outcome.imaging);
            return outcome;
        }
    }

    const QFileInfo file(stored);
    if (!file.isFile()) {
        outcome.imaging = ImagingCondition::FileNotFound;
        outcome.reason = ConditionText(outcome.imaging);
        return outcome;
    }
    // Everything is learnt before the row is written, so a file that can't be read adds nothing.
    const Inspection seen = inspect(stored);
    if (seen.condition != ImagingCondition::None) {
        outcome.imaging = seen.condition;
        outcome.reason = ConditionText(seen.condition);
        return outcome;
    }

    PictureRecord row;
    row.date = QDate::currentDate();
    row.imageFormat = seen.formatText;
    row.imageProperties = SizeText(file.size()) + seen.dimensions + ColourText(seen.colours);
    const QString fileName = FileNameOfPath(path);
    row.imageFile = fileName;

    const bool oneFile = context.listCount == 1;
    int cancelledRetries = 0;
    bool askName = oneFile;
    for (;;) {
        if (askName) {
            const QString name = prompts.input(QStringLiteral("File Name?"),
                                               QStringLiteral("Image File Name"), fileName);
            if (name.isEmpty()) {
                outcome.result = AddResult::Cancelled;
                outcome.reason = QStringLiteral("cancelled");
                return outcome;
            }
            row.imageFile = name;
            const QString memo = prompts.input(QStringLiteral("Memo?"),
                                               QStringLiteral("Image Description"), QString());
            if (!memo.isEmpty())
                row.description = memo;
        }

        const AlbumStatus status = context.album->addRecord(row, stored, &outcome.rowId);
        outcome.album = status;
        switch (status.condition) {
        case AlbumCondition::None:
            outcome.result = AddResult::Stored;
            return outcome;
        case AlbumCondition::DuplicateKey:
            if (oneFile) {
                prompts.msgBox(QLatin1Char('"') + fileName +
                                   QStringLiteral("\" has already been used."),
                               MsgIcon::Information, QStringLiteral("DUPLICATE FILE NAME"));
                askName = true; // ask for another name
                continue;
            }
            context.sink->setTitle(QStringLiteral("Cannot add image: ") + fileName +
                                   QStringLiteral(" already exists in this album!"));
            outcome.result = AddResult::Skipped;
            outcome.reason =
                QStringLiteral("a picture named %1 is already in the album").arg(fileName);
            return outcome;
        case AlbumCondition::Cancelled:
            if (++cancelledRetries < kCancelledRetries) {
                askName = false;
                continue;
            }
            break;
        case AlbumCondition::EmptyKey:
        case AlbumCondition::FieldTooLong:
            // A problem of this one file: say so and go on with the next.
            prompts.msgBox(status.text(), MsgIcon::Critical, path);
            outcome.result = AddResult::Skipped;
            outcome.reason = status.text();
            return outcome;
        default:
            break;
        }
        prompts.msgBox(status.text(), MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (AddImages: AddRectoDB)"));
        outcome.result = AddResult::Failed;
        outcome.reason = status.text();
        return outcome;
    }
}

} // namespace q32
