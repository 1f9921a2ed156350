#include "output/gallery/GalleryWriter.h"

#include "album/AlbumRecordset.h"
#include "album/AlbumThumbnails.h"
#include "formats/FormatTable.h"
#include "output/gallery/GalleryHtml.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "platform/jobs/BlockingMap.h"
#include "platform/prompt/PromptService.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QUuid>
#include <utility>
#include <vector>

namespace q32 {

using namespace gallery;

bool ConfirmGalleryOfProtectedAlbum(PromptService& prompts, const AlbumDb& album) {
    if (!album.isEncrypted())
        return true;
    MessageRequest ask;
    ask.title = QStringLiteral("Export Web Gallery");
    ask.text = QStringLiteral("This album is protected by a password, but a web gallery is not: "
                              "its pictures and texts are written as ordinary files that anyone "
                              "who can read the folder can open.\n\nExport it anyway?");
    ask.buttons = MsgButtons::YesNo;
    ask.icon = MsgIcon::Exclamation;
    ask.defaultButton = 2;
    return prompts.message(ask) == MsgResult::Yes;
}

namespace {

using Outcome = GalleryResult::Outcome;

class Site {
public:
    explicit Site(const QString& root) : m_root(root) {}

    // Writes bytes to the site's relative path; the reason when it could not.
    QString write(const QString& path, const QByteArray& bytes) const {
        QFile file(m_root.filePath(path));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.flush()) {
            const QString why = file.errorString();
            file.close();
            return QStringLiteral("%1 could not be written: %2").arg(path, why);
        }
        file.close();
        if (file.error() != QFileDevice::NoError)
            return QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
        return {};
    }
    // The record's stored file copied out of the album to path: its size, 0 when it is empty,
    // or minus the condition number.
    qint64 extract(AlbumDb& album, qint64 rowId, const QString& path) const {
        return album.extractToFile(rowId, PictureField::Image, m_root.filePath(path));
    }
    QString copy(const QString& from, const QString& to) const {
        QFile source(m_root.filePath(from));
        return source.copy(m_root.filePath(to))
                   ? QString()
                   : QStringLiteral("%1 could not be written: %2").arg(to, source.errorString());
    }
    QString writeText(const QString& path, const QString& text) const {
        return write(path, text.toUtf8());
    }
    // The picture as PNG when it has alpha, else JPEG; path gets the extension.
    QString writeImage(QString& path, const QImage& image) const {
        const bool alpha = image.hasAlphaChannel();
        path += alpha ? QStringLiteral(".png") : QStringLiteral(".jpg");
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, alpha ? "png" : "jpeg");
        if (!alpha)
            writer.setQuality(88);
        if (!writer.write(alpha ? image : image.convertToFormat(QImage::Format_RGB32)))
            return QStringLiteral("%1 could not be encoded: %2").arg(path, writer.errorString());
        return write(path, bytes);
    }

private:
    QDir m_root;
};

QImage placeholder(bool clip) {
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(0x3a, 0x3a, 0x3a));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xcc, 0xcc, 0xcc), 8));
    if (clip) {
        p.setBrush(QColor(0xcc, 0xcc, 0xcc));
        p.drawPolygon(QPolygon({QPoint(130, 80), QPoint(130, 160), QPoint(200, 120)}));
    } else {
        p.drawLine(120, 80, 200, 160);
        p.drawLine(200, 80, 120, 160);
    }
    return image;
}

// Browsers animate GIFs and animated WebPs: those are copied as they are stored.
bool copiedAsStored(const QByteArray& bytes, const QString& decodable) {
    if (bytes.startsWith("GIF8"))
        return true;
    if (!(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP"))
        return false;
    ImageInfo info;
    return ReadImageInfo(decodable, info) == ImagingCondition::None && info.animated &&
           info.orientation <= 1;
}

struct Work {
    AlbumDb& album;
    const GalleryOptions& options;
    const Site& site;
};

// One record on its way: read from the album in order, then its pictures made on any thread.
struct Item {
    GalleryEntry entry;
    QString storedName;
    QByteArray bytes; // a picture's stored file, until its pictures are written
    QString problem;  // why the site could not be written
    bool unreadable = false;
};

void markUnreadable(Item& item) {
    item.unreadable = true;
    item.entry.clip = false;
    item.entry.picture = item.entry.thumbnail = QStringLiteral("missing.png");
}

// The album's part, on the writer's thread: a clip is copied out whole (in pieces, never held
// in memory) with its poster, a picture's bytes are read.
QString readRecord(Work& w, const PictureRecord& record, Item& item) {
    GalleryEntry& e = item.entry;
    item.storedName = siteFileName(e.number, record.imageFile);
    e.clip = IsClipFormat(record.imageFormat);
    if (!e.clip) {
        item.bytes = w.album.readBytes(record.rowId, PictureField::Image);
        return {};
    }
    e.picture = QStringLiteral("pictures/") + item.storedName;
    if (const qint64 n = w.site.extract(w.album, record.rowId, e.picture); n <= 0) {
        if (n < 0)
            return QStringLiteral("%1 could not be written: %2")
                .arg(e.picture, AlbumConditionText(AlbumCondition(-n)));
        markUnreadable(item);
        return {};
    }
    if (w.options.copyOriginals) {
        e.original = QStringLiteral("originals/") + item.storedName;
        if (const QString problem = w.site.copy(e.picture, e.original); !problem.isEmpty())
            return problem;
    }
    const QByteArray frame = ReadThumbnail(w.album, record.rowId).value_or(QByteArray());
    if (!frame.startsWith("\xff\xd8")) {
        e.thumbnail = QLatin1String(kClipPlaceholder);
        return {};
    }
    e.thumbnail = QStringLiteral("thumbs/") + siteFileName(e.number, record.imageFile, "jpg");
    return w.site.write(e.thumbnail, frame);
}

// A picture's files: the original when asked, the picture and its thumbnail. Touches nothing
// but the item and its own files, so pictures are made side by side.
void writePicture(const GalleryOptions& options, const Site& site, Item& item) {
    GalleryEntry& e = item.entry;
    const QByteArray bytes = std::exchange(item.bytes, {});
    if (!bytes.isEmpty() && options.copyOriginals) {
        e.original = QStringLiteral("originals/") + item.storedName;
        if (!(item.problem = site.write(e.original, bytes)).isEmpty())
            return;
    }
    QImage picture;
    const imaging::InMemoryFile file("quillon-gallery", bytes);
    const int edge = options.pictureSize;
    if (bytes.isEmpty() || !file.ok() ||
        LoadImage(file.path(), picture, {QSize(edge, edge)}) != ImagingCondition::None ||
        picture.isNull()) {
        markUnreadable(item);
        return;
    }
    const QString base = siteFileName(e.number, e.fileName, QStringLiteral("x")).chopped(2);
    if (copiedAsStored(bytes, file.path())) {
        e.picture = QStringLiteral("pictures/") + base +
                    (bytes.startsWith("GIF8") ? QStringLiteral(".gif") : QStringLiteral(".webp"));
        item.problem = site.write(e.picture, bytes);
    } else {
        e.picture = QStringLiteral("pictures/") + base;
        item.problem = site.writeImage(e.picture, picture);
    }
    if (!item.problem.isEmpty())
        return;
    const int thumb = options.thumbnailSize;
    const QImage small =
        picture.width() > thumb || picture.height() > thumb
            ? picture.scaled(thumb, thumb, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : picture;
    e.thumbnail = QStringLiteral("thumbs/") + base;
    item.problem = site.writeImage(e.thumbnail, small);
}

// Puts the finished site at target: into a new or empty folder, or in place of an earlier
// gallery, whose folder is only removed once the new one is there.
QString moveIntoPlace(QTemporaryDir& built, const QString& target) {
    const QDir dir(target);
    QString old;
    if (dir.exists()) {
        if (dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            QDir().rmdir(target);
        } else {
            old = target + QStringLiteral(".old-") + QUuid::createUuid().toString(QUuid::Id128);
            if (!QDir().rename(target, old))
                return QStringLiteral("%1 could not be replaced").arg(target);
        }
    }
    if (!QDir().rename(built.path(), target)) {
        if (!old.isEmpty())
            QDir().rename(old, target);
        return QStringLiteral("the gallery could not be moved to %1").arg(target);
    }
    built.setAutoRemove(false);
    if (!old.isEmpty())
        QDir(old).removeRecursively();
    return {};
}

GalleryResult failed(const QString& problem) {
    return {Outcome::Failed, problem, 0, 0};
}

} // namespace

GalleryResult WriteGallery(AlbumDb& album, const AlbumQuery& query, const GalleryOptions& options,
                           GalleryListener& listener) {
    const QString target = QDir::cleanPath(QDir().absoluteFilePath(options.folder));
    const QFileInfo info(target);
    if (options.folder.isEmpty() || info.isRoot())
        return failed(QStringLiteral("choose a folder for the gallery"));
    if (info.exists() && !info.isDir())
        return failed(QStringLiteral("%1 is a file, not a folder").arg(target));
    const QDir existing(target);
    if (info.isDir() &&
        !existing.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) &&
        !existing.exists(QLatin1String(kMarker)))
        return failed(QStringLiteral("%1 already holds other files; choose an empty folder or a "
                                     "new one")
                          .arg(target));
    const QString parent = info.absolutePath();
    if (!QDir().mkpath(parent))
        return failed(QStringLiteral("%1 cannot be made").arg(parent));
    QTemporaryDir built(parent + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral("-XXXXXX"));
    if (!built.isValid())
        return failed(QStringLiteral("%1 cannot be written: %2").arg(parent, built.errorString()));
    const Site site(built.path());
    QStringList folders{QStringLiteral("pages"), QStringLiteral("pictures"),
                        QStringLiteral("thumbs")};
    if (options.copyOriginals)
        folders << QStringLiteral("originals");
    for (const QString& sub : folders)
        if (!QDir(built.path()).mkdir(sub))
            return failed(QStringLiteral("%1 cannot be written").arg(parent));

    AlbumRecordset rows(album, query);
    if (!rows.status().ok())
        return failed(rows.status().text());
    GalleryResult result;
    const qint64 count = rows.recordCount();
    GalleryOptions opts = options;
    opts.perPage = qMax(1, options.perPage);
    opts.thumbnailSize = qBound(32, options.thumbnailSize, 1024);
    opts.pictureSize = qBound(64, options.pictureSize, 8192);
    Work work{album, opts, site};
    QList<GalleryEntry> entries;
    entries.reserve(count);
    // Records go in batches: read in order, their pictures made on every core, then their pages
    // written in order. A batch holds a few records, or fewer when their pictures are large.
    constexpr int kBatchRecords = 16;
    constexpr qint64 kBatchBytes = 128 << 20;
    for (qint64 next = 0; next < count;) {
        if (listener.stopRequested())
            return {Outcome::Cancelled, {}, 0, 0};
        std::vector<Item> batch;
        qint64 batchBytes = 0;
        QString lastName;
        while (next < count && int(batch.size()) < kBatchRecords && batchBytes < kBatchBytes) {
            AlbumStatus status;
            const auto record = rows.recordAt(next, &status);
            if (!record)
                return failed(status.text());
            Item item;
            GalleryEntry& e = item.entry;
            e.number = int(++next);
            e.fileName = record->imageFile;
            e.date = record->date;
            e.description = record->description;
            e.keywords = record->keywords;
            e.properties = record->imageProperties;
            if (const QString problem = readRecord(work, *record, item); !problem.isEmpty())
                return failed(problem);
            batchBytes += item.bytes.size();
            lastName = record->imageFile;
            batch.push_back(std::move(item));
        }
        BlockingMap(batch, [&opts, &site](Item& item) {
            if (!item.entry.clip && !item.unreadable)
                writePicture(opts, site, item);
        });
        for (Item& item : batch) {
            if (!item.problem.isEmpty())
                return failed(item.problem);
            result.unreadable += item.unreadable;
            const GalleryEntry& e = item.entry;
            const QString page = recordPage(opts, e, e.number > 1 ? e.number - 1 : 0,
                                            e.number < count ? e.number + 1 : 0, int(count));
            if (const QString problem = site.writeText(recordPageName(e.number), page);
                !problem.isEmpty())
                return failed(problem);
            entries << e;
        }
        listener.progress(next, count, lastName);
    }
    const int pages = int(qMax<qint64>(1, (count + opts.perPage - 1) / opts.perPage));
    QList<std::pair<QString, QByteArray>> files{
        {QLatin1String(kStyleSheet), styleSheet(opts).toUtf8()},
        {QLatin1String(kScript), script().toUtf8()},
        {QLatin1String(kMarker),
         QByteArray("Written by Quillon 32; replaced by its next export.\n")}};
    for (const auto& [name, image] :
         {std::pair{QStringLiteral("clip.png"), placeholder(true)},
          std::pair{QStringLiteral("missing.png"), placeholder(false)}}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        files.append({name, png});
    }
    for (int page = 1; page <= pages; ++page)
        files.append(
            {indexPageName(page),
             indexPage(opts, entries.mid((page - 1) * opts.perPage, opts.perPage), page, pages)
                 .toUtf8()});
    for (const auto& [name, bytes] : files)
        if (const QString problem = site.write(name, bytes); !problem.isEmpty())
            return failed(problem);
    if (listener.stopRequested())
        return {Outcome::Cancelled, {}, 0, 0};
    if (const QString problem = moveIntoPlace(built, target); !problem.isEmpty())
        return failed(problem);
    result.outcome = Outcome::Written;
    result.records = count;
    return result;
}

} // namespace q32
