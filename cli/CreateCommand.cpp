#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/AlbumMaintenance.h"

namespace q32::cli {

int createCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"),
                            QStringLiteral("The album file to create (.mdb)."));
    p.addOption({QStringLiteral("allow-duplicates"),
                 QStringLiteral("Allow two pictures with the same file name.")});
    parse(p, QStringLiteral("create"), QStringLiteral("Create a new, empty album."), args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("create needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    CliPrompts prompts;
    prompts.allowDuplicates = p.isSet(QStringLiteral("allow-duplicates"));
    const AlbumStatus status = CreateAlbumAsking(path, prompts);
    if (status.condition == AlbumCondition::FileExists)
        return fail(path + QStringLiteral(" already exists."));
    return status.ok() ? 0 : albumFailure(path, status);
}

} // namespace q32::cli
