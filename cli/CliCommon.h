#pragma once
// What every q32 command shares: the output streams, option parsing, the one way an album is
// opened (with its password from the terminal or standard input), and error lines.

#include "album/AlbumDb.h"
#include "album/AlbumStore.h"
#include "album/server/ServerAlbum.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>
#include <memory>

namespace q32::cli {

QTextStream& out();
QTextStream& err();

// Prints "q32: line" on standard error and gives code, the command's exit code.
int fail(const QString& line, int code = 1);
// One line for an album that could not be used.
int albumFailure(const QString& path, const AlbumStatus& status);

QCommandLineOption passwordStdinOption();
// Parses the command's arguments; --help prints the command's help and exits.
void parse(QCommandLineParser& parser, const QString& command, const QString& description,
           const QStringList& args);

// A field of q32 list: tabs, newlines and backslashes written as \t, \n and \\.
QString escapedField(QString text);

// The order or filter of --sort, --keywords and --description (a filter takes order 6 or 8,
// or 7 or 9 when --sort says so); the exit code of the line printed about a bad one, else 0.
int queryFromOptions(const QCommandLineParser& p, AlbumQuery& query);

enum class Access { ReadOnly, Writable, ReadOnlyEvenDamaged };

// An album opened for a command, or the exit code of the line already printed about it.
template <class Album> struct Opened {
    std::unique_ptr<Album> album; // null on failure (an album file: also when damaged and allowed)
    QString password;
    int exitCode = 0;
};
using OpenedAlbum = Opened<AlbumDb>;      // an album file
using OpenedStore = Opened<AlbumStore>;   // a file path, or a postgresql:// URI of a server album
using OpenedServer = Opened<ServerAlbum>; // a server album only

// Opens path; the password comes from standard input with --password-stdin, else it is asked on
// the terminal when the album turns out to need one. ReadOnlyEvenDamaged accepts a damaged album
// (checking only the password), for the commands that rewrite the file.
OpenedAlbum openForCommand(const QString& path, const QCommandLineParser& parser, Access access);

// As openForCommand, for the commands that work on both engines. A server album's password (its
// role's) comes the same way, unless libpq finds one itself (~/.pgpass, PGPASSWORD).
OpenedStore openStoreForCommand(const QString& name, const QCommandLineParser& parser,
                                Access access);
// The server album named by a postgresql:// URI, for the commands that use what only the server
// engine has (its maintenance, its description).
OpenedServer openServerForCommand(const QString& uri, const QCommandLineParser& parser,
                                  Access access);
// How an album is named in messages: a URI without its password.
QString albumName(const QString& name);

// ALBUM opened and its record ROWID found (the first two positional arguments).
struct OpenedRecord {
    OpenedStore opened;
    PictureRecord record;
    int exitCode = 0;
};
OpenedRecord openRecord(const QCommandLineParser& parser, Access access);

} // namespace q32::cli
