#include "CliCommon.h"
#include "Commands.h"

#include <QFileInfo>

namespace q32::cli {

int infoCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("info"),
          QStringLiteral("Describe an album: size, records, protection, duplicate policy, health, "
                         "and the database engine."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("info needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    if (IsServerAlbumName(path)) {
        const OpenedServer opened = openServerForCommand(path, p, Access::Writable);
        if (!opened.album)
            return opened.exitCode;
        ServerAlbum& album = *opened.album;
        out() << "Album: " << albumName(path) << '\n'
              << "Records: " << album.rowCount() << '\n'
              << "Password: none of its own (the server's roles and TLS protect it)\n"
              << "Duplicate file names: " << (album.allowsDuplicates() ? "allowed" : "refused")
              << '\n'
              << "Writable: " << (album.isReadOnly() ? "no (the role may only read it)" : "yes")
              << '\n'
              << "Server: " << album.serverDescription() << '\n';
        out().flush();
        return 0;
    }
    const OpenedAlbum opened = openForCommand(path, p, Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    AlbumDb& album = *opened.album;
    const AlbumStatus health = album.integrityCheck();
    out() << "Album: " << QFileInfo(path).absoluteFilePath() << '\n'
          << "Size: " << QFileInfo(path).size() << " bytes\n"
          << "Records: " << album.rowCount() << '\n'
          << "Password: "
          << (!album.isEncrypted()            ? "no"
              : album.hasVersion3Encryption() ? "yes (encrypted, SQLCipher 3 format)"
                                              : "yes (encrypted)")
          << '\n'
          << "Duplicate file names: " << (album.allowsDuplicates() ? "allowed" : "refused") << '\n'
          << "Writable: " << (QFileInfo(path).isWritable() ? "yes" : "no") << '\n'
          << "Integrity: " << (health.ok() ? QStringLiteral("ok") : health.text()) << '\n'
          << "SQLite: " << sqlite::sqliteVersion() << '\n'
          << "SQLCipher: " << sqlite::cipherVersion() << '\n';
    out().flush();
    return 0;
}

} // namespace q32::cli
