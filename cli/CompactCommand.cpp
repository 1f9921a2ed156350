#include "CliCommon.h"
#include "Commands.h"
#include "album/AlbumMaintenance.h"

namespace q32::cli {

int compactCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("compact"),
          QStringLiteral("Rewrite the album to reclaim space; the old file is kept beside it as "
                         ".bak. A server album gets the server's VACUUM FULL (its owner only)."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("compact needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    if (IsServerAlbumName(path)) {
        // The server's own VACUUM FULL; others wait for each table while it is rewritten.
        const OpenedServer opened = openServerForCommand(path, p, Access::Writable);
        if (!opened.album)
            return opened.exitCode;
        const CompactReport report = opened.album->compact();
        if (!report.status.ok())
            return albumFailure(albumName(path), report.status);
        out() << report.message().replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
        out().flush();
        return 0;
    }
    // Compaction needs every handle closed: the password is only checked by this open.
    OpenedAlbum opened = openForCommand(path, p, Access::ReadOnlyEvenDamaged);
    if (opened.exitCode)
        return opened.exitCode;
    opened.album.reset();
    const CompactReport report = CompactAlbumFile(path, opened.password);
    if (!report.status.ok())
        return albumFailure(path, report.status);
    out() << report.message().replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
    out().flush();
    return 0;
}

} // namespace q32::cli
