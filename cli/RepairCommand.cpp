#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/AlbumMaintenance.h"

namespace q32::cli {

int repairCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("repair"),
          QStringLiteral("Check the album and rebuild it from every readable row when it is "
                         "damaged. A server album gets the server's REINDEX (its owner only)."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("repair needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    if (IsServerAlbumName(path)) {
        // The server keeps its tables whole; the repair rebuilds the album's indexes (REINDEX).
        const OpenedServer opened = openServerForCommand(path, p, Access::Writable);
        if (!opened.album)
            return opened.exitCode;
        const RepairReport report = opened.album->repair();
        if (!report.status.ok())
            return albumFailure(albumName(path), report.status);
        out() << report.message(albumName(path)) << '\n';
        out().flush();
        return 0;
    }
    // A damaged album may not open at all, so the password is not checked first.
    const QString password =
        p.isSet(QStringLiteral("password-stdin")) ? ReadPassword(QString(), true) : QString();
    const RepairReport report = RepairAlbumFile(path, password);
    out() << report.message(path) << '\n';
    out().flush();
    return report.status.ok() ? 0 : 1;
}

} // namespace q32::cli
