#include "album/add/AddRecord.h"

#include "album/AlbumDb.h"
#include "album/AlbumThumbnails.h"
#include "album/ContentHashes.h"
#include "album/PictureHashes.h"
#include "album/add/ThumbnailMaker.h"
#include "common/Text.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "platform/media/MediaInfo.h"
#include "platform/prompt/PromptService.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

namespace q32 {
namespace {

// A cancelled save is tried again, but never without end.
constexpr int kCancelledRetries = 3;

qint64 coloursOf(int bitsPerPixel) {
    // Deep pictures (16 bits a channel) are shown at 8 bits a channel: count those colours.
    if (bitsPerPixel == 48)
        bitsPerPixel = 24;
    else if (bitsPerPixel == 64)
        bitsPerPixel = 32;
    return bitsPerPixel <= 0 || bitsPerPixel > 32 ? 0 : (qint64(1) << bitsPerPixel);
}

// Fills the format text and the dimension and colour parts of the properties line.
ImagingCondition inspect(PreparedFile& file) {
    // GIF, MPEG and QuickTime files keep the text their name gives them.
    const QString fixed = FixedFormatText(file.storedPath);
    QString dimensions;
    qint64 colours = 0;
    if (const int clipCode = ClipCodeOf(file.storedPath)) {
        MediaInfo clip;
        const ImagingCondition condition = ReadMediaInfo(file.storedPath, clip);
        if (condition != ImagingCondition::None)
            return condition;
        file.formatText = fixed.isEmpty() ? FormatText(clipCode) : fixed;
        dimensions = DimensionText(clip.width, clip.height);
        colours = qint64(1) << 24;
    } else {
        ImageInfo info;
        const ImagingCondition condition = ReadImageInfo(file.storedPath, info);
        if (condition != ImagingCondition::None)
            return condition;
        file.formatText = fixed.isEmpty() ? FormatText(info.formatCode) : fixed;
        dimensions = DimensionText(info.width, info.height);
        // A GIF's colours come from its own depth, as for every other picture.
        colours = coloursOf(info.bitsPerPixel);
    }
    file.properties = SizeText(file.size) + dimensions + ColourText(colours);
    return ImagingCondition::None;
}

// Converts a bitmap to a JPEG work file of its own (null when it cannot): files are prepared
// ahead and wait to be stored, so a shared name could be overwritten under one still waiting.
std::shared_ptr<QTemporaryFile> compressBitmap(const QString& path, const QString& workFolder,
                                               ImagingCondition& condition) {
    QImage image;
    condition = LoadImage(path, image, LoadOptions{{}, false, 0, false});
    if (condition != ImagingCondition::None)
        return {};
    auto target =
        std::make_shared<QTemporaryFile>(workFolder + QStringLiteral("compress-XXXXXX.jpg"));
    if (!target->open()) {
        condition = ImagingCondition::CannotWrite;
        return {};
    }
    target->close();
    condition = SaveImage(image.convertToFormat(QImage::Format_RGB888), target->fileName(),
                          SaveOptions{10, 24, 20, false});
    return condition == ImagingCondition::None ? target : nullptr;
}

// Reads the whole file into buffer, reusing its memory. Buffers grow in steps of 4 MiB, so one
// that went round a few photos rarely has to be made again (and its new pages faulted in).
bool readWhole(QFile& file, qint64 size, QByteArray& buffer) {
    constexpr qint64 kStep = qint64(4) << 20;
    if (buffer.capacity() < size)
        buffer.reserve((size + kStep - 1) / kStep * kStep);
    buffer.resize(size);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(buffer.data() + done, size - done);
        if (got <= 0)
            return false;
        done += got;
    }
    // A file that grew while being read is stored as it was when it was measured.
    return true;
}

} // namespace

int ClipCodeOf(const QString& path) {
    const int named = FormatCodeOf(FixedFormatText(path));
    return IsClipCode(named) ? named : ClipFormatCode(path);
}

QString SizeText(qint64 bytes) {
    return QStringLiteral("(") + FormatThousands(bytes) + QStringLiteral(" bytes) ");
}

QString DimensionText(int width, int height) {
    return QStringLiteral("(%1x%2) ").arg(width).arg(height);
}

QString ColourText(qint64 colours) {
    return QStringLiteral("(") + FormatThousands(colours) + QStringLiteral(" colors)");
}

PreparedFile PrepareFile(const QString& path, const PrepareOptions& options, QByteArray buffer) {
    PreparedFile file;
    file.path = path;
    file.storedPath = path;
    file.bytes = std::move(buffer);
    // Bitmaps go in as JPEG when storage is compressed.
    if (options.compressStorage && path.endsWith(QLatin1String("bmp"), Qt::CaseInsensitive)) {
        file.workFile = compressBitmap(path, options.workFolder, file.condition);
        if (!file.workFile)
            return file;
        file.storedPath = file.workFile->fileName();
    }
    QFile source(file.storedPath);
    if (!QFileInfo(source).isFile()) {
        file.condition = ImagingCondition::FileNotFound;
        return file;
    }
    if (!source.open(QIODevice::ReadOnly)) {
        file.condition = ImagingCondition::FileUnreadable;
        return file;
    }
    file.size = source.size();
    // Everything is learnt before the row is written, so a file that can't be read adds nothing.
    file.condition = inspect(file);
    if (file.condition != ImagingCondition::None)
        return file;
    if (options.makeThumbnail) {
        file.thumbnail = MakeThumbnail(file.storedPath, file.formatText, options.decodeThumbnail,
                                       &file.pictureHash);
        if (file.thumbnail.isNull() && options.decodeThumbnail)
            file.thumbnail = QByteArray(""); // tried: the placeholder
    }
    if (file.size <= options.inMemoryLimit) {
        file.inMemory = readWhole(source, file.size, file.bytes);
        if (!file.inMemory)
            file.condition = ImagingCondition::Truncated;
        else if (options.contentHash) // ReadAhead asks for none: it shares the hashing out
            file.sha256 = ContentHash(file.bytes);
    }
    if (options.dateTaken)
        if (const std::optional<QDateTime> taken = ReadDateTaken(path))
            file.taken = taken->date();
    return file;
}

AddOutcome StorePreparedFile(const StoreContext& context, const PreparedFile& file) {
    PromptService& prompts = *context.prompts;
    auto setTitle = [&](const QString& title) {
        if (context.sink)
            context.sink->setTitle(title);
    };
    setTitle(QStringLiteral("BUSY: Adding images to the Depository..."));
    AddOutcome outcome;
    if (file.condition != ImagingCondition::None) {
        outcome.imaging = file.condition;
        outcome.reason = ConditionText(file.condition);
        return outcome;
    }

    QByteArray sha256 = file.sha256;
    if (context.skipDuplicates) {
        if (sha256.isEmpty())
            sha256 = FileContentHash(file.storedPath);
        AlbumStatus status;
        if (const auto same = context.album->findByContent(sha256, &status)) {
            const QString fileName = FileNameOfPath(file.path);
            setTitle(QStringLiteral("Cannot add image: ") + fileName +
                     QStringLiteral(" is already in this album!"));
            outcome.result = AddResult::Skipped;
            outcome.sameAsRow = same->rowId;
            outcome.reason = QStringLiteral("the same picture as record %1 (%2)")
                                 .arg(same->rowId)
                                 .arg(same->imageFile);
            return outcome;
        }
    }

    PictureRecord row;
    row.date = file.taken.isValid() ? file.taken : QDate::currentDate();
    row.imageFormat = file.formatText;
    row.imageProperties = file.properties;
    const QString fileName = FileNameOfPath(file.path);
    row.imageFile = fileName;

    int cancelledRetries = 0;
    bool askName = context.askNames;
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
            row.description = memo.isEmpty() ? QString() : memo;
        }

        const AlbumStatus status =
            file.inMemory ? context.album->addRecordBytes(row, file.bytes, &outcome.rowId, sha256)
                          : context.album->addRecord(row, file.storedPath, &outcome.rowId, sha256);
        outcome.album = status;
        switch (status.condition) {
        case AlbumCondition::None:
            outcome.result = AddResult::Stored;
            // Without it (an album that could not get the table yet) the view makes it later.
            if (!file.thumbnail.isNull()) {
                context.album->storeThumbnail(outcome.rowId, file.thumbnail);
                context.album->storePictureHash(outcome.rowId, file.pictureHash);
            }
            return outcome;
        case AlbumCondition::DuplicateKey:
            if (context.askNames) {
                prompts.msgBox(QLatin1Char('"') + fileName +
                                   QStringLiteral("\" has already been used."),
                               MsgIcon::Information, QStringLiteral("DUPLICATE FILE NAME"));
                askName = true; // ask for another name
                continue;
            }
            setTitle(QStringLiteral("Cannot add image: ") + fileName +
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
            // A problem of this one file (a name longer than the field): say so, go on.
            prompts.msgBox(status.text(), MsgIcon::Critical, file.path);
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

AddOutcome AddFileAsRecord(const StoreContext& context, const QString& path,
                           const PrepareOptions& options) {
    return StorePreparedFile(context, PrepareFile(path, options));
}

} // namespace q32
