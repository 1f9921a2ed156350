#include "CliCommon.h"
#include "CliPrompts.h"
#include "Commands.h"
#include "album/AlbumMaintenance.h"

#include <unistd.h>

namespace q32::cli {

int passwordCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption({QStringLiteral("set"),
                 QStringLiteral("Protect an album that has no password (reads the new one).")});
    p.addOption({QStringLiteral("change"),
                 QStringLiteral("Change the password (reads the old one, then the new one).")});
    p.addOption(
        {QStringLiteral("remove"), QStringLiteral("Remove the password (reads the old one).")});
    p.addOption(
        {QStringLiteral("password-stdin"),
         QStringLiteral(
             "Read the passwords from standard input, one per line, instead of the terminal.")});
    parse(p, QStringLiteral("password"),
          QStringLiteral(
              "Set, change or remove an album's password. A protected album is encrypted."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("password needs exactly one ALBUM"), 2);
    const int modes = int(p.isSet(QStringLiteral("set"))) + int(p.isSet(QStringLiteral("change"))) +
                      int(p.isSet(QStringLiteral("remove")));
    if (modes != 1)
        return fail(QStringLiteral("give one of --set, --change, --remove"), 2);
    const QString path = p.positionalArguments().at(0);
    if (IsServerAlbumName(path))
        return fail(albumName(path) + QStringLiteral(": a server album has no password of its own; "
                                                     "the server's roles and TLS protect it"));
    const bool fromStdin = p.isSet(QStringLiteral("password-stdin"));
    QString oldPassword;
    QString newPassword;
    if (!p.isSet(QStringLiteral("set")))
        oldPassword = ReadPassword(QStringLiteral("Current password: "), fromStdin);
    if (!p.isSet(QStringLiteral("remove"))) {
        newPassword = ReadPassword(QStringLiteral("New password: "), fromStdin);
        if (!fromStdin && isatty(STDIN_FILENO) &&
            ReadPassword(QStringLiteral("New password again: "), false) != newPassword)
            return fail(QStringLiteral("the two new passwords differ; nothing changed"));
        if (newPassword.isEmpty())
            return fail(QStringLiteral("an empty password is no password; use --remove"), 2);
    }
    const AlbumStatus status = ChangeAlbumPassword(path, oldPassword, newPassword);
    return status.ok() ? 0 : albumFailure(path, status);
}

} // namespace q32::cli
