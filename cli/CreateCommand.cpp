#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/AlbumMaintenance.h"
#include "album/server/ServerAlbum.h"

#include <unistd.h>

namespace q32::cli {
namespace {

int createServerAlbum(const QString& uri, bool allowDuplicates) {
    QString password;
    AlbumStatus status = ServerAlbum::create(uri, password, allowDuplicates);
    if (status.condition == AlbumCondition::WrongPassword && isatty(STDIN_FILENO)) {
        password = ReadPassword(QStringLiteral("Password for %1: ").arg(albumName(uri)), false);
        status = ServerAlbum::create(uri, password, allowDuplicates);
    }
    if (status.condition == AlbumCondition::FileExists)
        return fail(albumName(uri) + QStringLiteral(" already holds an album."));
    return status.ok() ? 0 : albumFailure(albumName(uri), status);
}

} // namespace

int createCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"),
                            QStringLiteral("The album file to create (.mdb), or a postgresql:// "
                                           "URI of an existing, empty database to make one in."));
    p.addOption({QStringLiteral("allow-duplicates"),
                 QStringLiteral("Allow two pictures with the same file name.")});
    parse(p, QStringLiteral("create"), QStringLiteral("Create a new, empty album."), args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("create needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    if (IsServerAlbumName(path))
        return createServerAlbum(path, p.isSet(QStringLiteral("allow-duplicates")));
    CliPrompts prompts;
    prompts.allowDuplicates = p.isSet(QStringLiteral("allow-duplicates"));
    const AlbumStatus status = CreateAlbumAsking(path, prompts);
    if (status.condition == AlbumCondition::FileExists)
        return fail(path + QStringLiteral(" already exists."));
    return status.ok() ? 0 : albumFailure(path, status);
}

} // namespace q32::cli
