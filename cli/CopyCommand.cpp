#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/AlbumCopy.h"
#include "album/AlbumMaintenance.h"
#include "album/server/ServerAlbum.h"

#include <QFileInfo>

namespace q32::cli {
namespace {

// Opens DEST for writing, creating it first when it is a file that is not there yet or a server
// database without an album in it.
OpenedStore openDestination(const QString& name, const QCommandLineParser& p,
                            bool allowDuplicates) {
    if (IsServerAlbumName(name)) {
        AlbumStatus status;
        auto probe = ServerAlbum::open(name, {}, false, &status);
        if (!probe && status.condition == AlbumCondition::NotAnAlbum) {
            status = ServerAlbum::create(name, {}, allowDuplicates);
            if (!status.ok()) {
                OpenedStore failed;
                failed.exitCode = albumFailure(albumName(name), status);
                return failed;
            }
        }
        if (probe) {
            OpenedStore opened;
            opened.album = std::move(probe);
            return opened;
        }
    } else if (!QFileInfo::exists(name)) {
        const AlbumStatus created = AlbumDb::create(name, allowDuplicates);
        if (!created.ok()) {
            OpenedStore failed;
            failed.exitCode = albumFailure(name, created);
            return failed;
        }
    }
    return openStoreForCommand(name, p, Access::Writable);
}

} // namespace

int copyCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("SOURCE"),
                            QStringLiteral("The album to copy: a file or a postgresql:// URI."));
    p.addPositionalArgument(
        QStringLiteral("DEST"),
        QStringLiteral("Where to: a new file, a postgresql:// URI of an empty database, or the "
                       "destination of a copy that was interrupted, which then goes on."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("copy"),
          QStringLiteral("Copy an album between a file and a server, either way: every record "
                         "with its pictures and sounds byte for byte, under the same row ids."),
          args);
    if (p.positionalArguments().size() != 2)
        return fail(QStringLiteral("copy needs SOURCE and DEST"), 2);
    const QString source = p.positionalArguments().at(0);
    const QString dest = p.positionalArguments().at(1);
    const OpenedStore from = openStoreForCommand(source, p, Access::ReadOnly);
    if (!from.album)
        return from.exitCode;
    const OpenedStore to = openDestination(dest, p, from.album->allowsDuplicates());
    if (!to.album)
        return to.exitCode;
    const CopyResult result = CopyAlbum(*from.album, *to.album, [](const CopyProgress& progress) {
        err() << "q32: copied " << progress.done << " of " << progress.total << " records"
              << Qt::endl;
        return true;
    });
    if (!result.status.ok())
        return albumFailure(albumName(dest), result.status);
    out() << "copied " << result.copied << " records";
    if (result.kept > 0)
        out() << ", " << result.kept << " were there from an interrupted copy";
    out() << Qt::endl;
    return 0;
}

} // namespace q32::cli
