#include "CliCommon.h"
#include "Commands.h"
#include "album/AlbumThumbnails.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace q32::cli {
namespace {

// The file managers ask for 128 to 1024 pixels; anything much larger is a mistake.
constexpr int kLargestEdge = 4096;

// The stored thumbnail of the first record (by row id) that has one that decodes; records
// without one (clips, sounds, pictures not drawn small yet) are passed over.
QImage firstStoredThumbnail(AlbumDb& album) {
    if (!HasThumbnailTable(album))
        return {};
    sqlite::Statement st = album.connection().prepare(
        QStringLiteral("SELECT t.Image FROM Thumbnails AS t JOIN Pictures AS p ON p.rowid = t.ID "
                       "WHERE length(t.Image) > 0 ORDER BY t.ID"));
    while (st.isValid() && st.step() == SQLITE_ROW) {
        const QImage image = QImage::fromData(st.blob(0), "JPEG");
        if (!image.isNull())
            return image;
    }
    return {};
}

} // namespace

int thumbnailCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addPositionalArgument(QStringLiteral("OUT.png"), QStringLiteral("The PNG file to write."));
    p.addPositionalArgument(QStringLiteral("SIZE"),
                            QStringLiteral("The longest side in pixels; the thumbnail as stored "
                                           "when not given."),
                            QStringLiteral("[SIZE]"));
    parse(p, QStringLiteral("thumbnail"),
          QStringLiteral("Draw the album's icon for a file manager: the stored thumbnail of its "
                         "first record that has one, fitted into SIZE x SIZE, as a PNG file. A "
                         "protected album gets none, and no password is asked for."),
          args);
    const QStringList pos = p.positionalArguments();
    if (pos.size() < 2 || pos.size() > 3)
        return fail(QStringLiteral("thumbnail needs ALBUM OUT.png [SIZE]"), 2);
    int size = 0;
    if (pos.size() == 3) {
        bool ok = false;
        size = pos.at(2).toInt(&ok);
        if (!ok || size < 1 || size > kLargestEdge)
            return fail(
                QStringLiteral("SIZE must be a number of pixels from 1 to %1").arg(kLargestEdge),
                2);
    }
    const QString& path = pos.at(0);
    if (IsServerAlbumName(path))
        return fail(albumName(path) + QStringLiteral(": a server album has no thumbnail"));
    // Read-only and without a password: a protected album's pictures must not reach the disk
    // as a plain PNG, and a file manager has nobody to ask.
    AlbumStatus status;
    const std::unique_ptr<AlbumDb> album = AlbumDb::open(path, OpenOptions{true, {}}, &status);
    if (!album) {
        if (status.condition == AlbumCondition::WrongPassword)
            return fail(QStringLiteral("%1: a protected album has no thumbnail").arg(path));
        return albumFailure(path, status);
    }
    QImage image = firstStoredThumbnail(*album);
    if (image.isNull())
        return fail(QStringLiteral("%1: no record has a stored thumbnail yet").arg(path));
    if (size > 0)
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QSaveFile file(pos.at(1));
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit())
        return fail(QStringLiteral("%1: %2").arg(
            pos.at(1), writer.error() == QImageWriter::UnknownError ? file.errorString()
                                                                    : writer.errorString()));
    return 0;
}

} // namespace q32::cli
