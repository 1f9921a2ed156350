#include "CliCommon.h"

#include "CliPrompts.h"
#include "album/server/ServerAlbum.h"
#include "platform/postgres/PostgresDb.h"

#include <unistd.h>

namespace q32::cli {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int fail(const QString& line, int code) {
    err() << "q32: " << line << Qt::endl;
    return code;
}

int albumFailure(const QString& path, const AlbumStatus& status) {
    if (status.condition == AlbumCondition::WrongPassword)
        return fail(QStringLiteral("%1: wrong or missing password (give it with --password-stdin)")
                        .arg(path));
    return fail(path + QStringLiteral(": ") + status.text());
}

QCommandLineOption passwordStdinOption() {
    return {QStringLiteral("password-stdin"),
            QStringLiteral("Read the album's password from the first line of standard input.")};
}

void parse(QCommandLineParser& parser, const QString& command, const QString& description,
           const QStringList& args) {
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.process(QStringList{QStringLiteral("q32 ") + command} + args);
}

QString escapedField(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

int queryFromOptions(const QCommandLineParser& p, AlbumQuery& query) {
    bool ok = false;
    query.order = p.value(QStringLiteral("sort")).toInt(&ok);
    if (!ok || query.order < 0 || query.order >= AlbumQuery::OrderCount)
        return fail(QStringLiteral("--sort takes a number from 0 to 9"), 2);
    if (p.isSet(QStringLiteral("keywords")) && p.isSet(QStringLiteral("description")))
        return fail(QStringLiteral("give --keywords or --description, not both"), 2);
    if (p.isSet(QStringLiteral("keywords"))) {
        query.keywords = p.value(QStringLiteral("keywords"));
        query.order = query.order == 7 ? 7 : 6;
    } else if (p.isSet(QStringLiteral("description"))) {
        query.description = p.value(QStringLiteral("description"));
        query.order = query.order == 9 ? 9 : 8;
    }
    return 0;
}

OpenedAlbum openForCommand(const QString& path, const QCommandLineParser& parser, Access access) {
    OpenedAlbum opened;
    if (IsServerAlbumName(path)) {
        opened.exitCode =
            fail(albumName(path) + QStringLiteral(": this command works on album "
                                                  "files only, not on server albums"));
        return opened;
    }
    const bool fromStdin = parser.isSet(QStringLiteral("password-stdin"));
    opened.password = fromStdin ? ReadPassword(QString(), true) : QString();
    const OpenOptions options{access != Access::Writable, opened.password};
    AlbumStatus status;
    opened.album = AlbumDb::open(path, options, &status);
    if (!opened.album && status.condition == AlbumCondition::WrongPassword && !fromStdin &&
        isatty(STDIN_FILENO)) {
        opened.password = ReadPassword(QStringLiteral("Password for %1: ").arg(path), false);
        opened.album = AlbumDb::open(path, {options.readOnly, opened.password}, &status);
    }
    if (!opened.album &&
        !(access == Access::ReadOnlyEvenDamaged && status.condition == AlbumCondition::Damaged))
        opened.exitCode = albumFailure(path, status);
    return opened;
}

QString albumName(const QString& name) {
    return IsServerAlbumName(name) ? pg::uriWithoutPassword(name) : name;
}

OpenedStore openStoreForCommand(const QString& name, const QCommandLineParser& parser,
                                Access access) {
    auto either = [](auto opened) {
        return OpenedStore{std::move(opened.album), opened.password, opened.exitCode};
    };
    return IsServerAlbumName(name) ? either(openServerForCommand(name, parser, access))
                                   : either(openForCommand(name, parser, access));
}

OpenedServer openServerForCommand(const QString& name, const QCommandLineParser& parser,
                                  Access access) {
    OpenedServer opened;
    const bool fromStdin = parser.isSet(QStringLiteral("password-stdin"));
    opened.password = fromStdin ? ReadPassword(QString(), true) : QString();
    const bool readOnly = access != Access::Writable;
    AlbumStatus status;
    opened.album = ServerAlbum::open(name, opened.password, readOnly, &status);
    if (!opened.album && status.condition == AlbumCondition::WrongPassword && !fromStdin &&
        isatty(STDIN_FILENO)) {
        opened.password =
            ReadPassword(QStringLiteral("Password for %1: ").arg(albumName(name)), false);
        opened.album = ServerAlbum::open(name, opened.password, readOnly, &status);
    }
    if (!opened.album)
        opened.exitCode = albumFailure(albumName(name), status);
    return opened;
}

OpenedRecord openRecord(const QCommandLineParser& parser, Access access) {
    OpenedRecord target;
    const QStringList pos = parser.positionalArguments();
    bool ok = false;
    const qint64 rowId = pos.at(1).toLongLong(&ok);
    if (!ok) {
        target.exitCode = fail(QStringLiteral("ROWID must be a number"), 2);
        return target;
    }
    target.opened = openStoreForCommand(pos.at(0), parser, access);
    if (!target.opened.album) {
        target.exitCode = target.opened.exitCode;
        return target;
    }
    AlbumStatus status;
    if (auto record = target.opened.album->record(rowId, &status))
        target.record = *record;
    else
        target.exitCode = fail(
            QStringLiteral("%1: no record with row id %2").arg(albumName(pos.at(0))).arg(rowId));
    return target;
}

} // namespace q32::cli
