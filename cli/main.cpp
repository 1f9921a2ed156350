// q32: the command-line tool over the album engine, for people who script their albums.

#include "CliCommon.h"
#include "Commands.h"
#include "quillon/Version.h"

#include <QCoreApplication>

using namespace q32::cli;

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

const Command kCommands[] = {
    {"create", "create a new, empty album", createCommand},
    {"add", "add pictures, clips and folders to an album", addCommand},
    {"list", "list the records, sorted or filtered", listCommand},
    {"extract", "write a record's stored file", extractCommand},
    {"export", "write a record's picture in another format, all into a folder, or a web gallery",
     exportCommand},
    {"edit", "change a record's texts or attach a sound", editCommand},
    {"info", "describe an album", infoCommand},
    {"copy", "copy an album between a file and a PostgreSQL server", copyCommand},
    {"compact", "rewrite an album to reclaim space", compactCommand},
    {"repair", "check and rebuild a damaged album", repairCommand},
    {"password", "set, change or remove an album's password", passwordCommand},
    {"duplicates", "list the records whose pictures are byte for byte the same", duplicatesCommand},
    {"similar", "list the records whose pictures look alike, nearest first", similarCommand},
    {"thumbnail", "draw an album's icon from its first stored thumbnail", thumbnailCommand},
};

void usage(QTextStream& to) {
    to << "Usage: q32 COMMAND [OPTIONS] ALBUM ...\n\nCommands:\n";
    for (const Command& c : kCommands)
        to << "  " << QString::fromLatin1(c.name).leftJustified(12) << c.summary << '\n';
    to << "\n'q32 COMMAND --help' explains a command's options. Albums with a password take\n"
          "--password-stdin, or ask on the terminal.\n";
    to.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q32"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        usage(err());
        return 2;
    }
    const QString& name = args.at(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        usage(out());
        return 0;
    }
    if (name == QLatin1String("--version")) {
        out() << "q32 " QUILLON_VERSION << Qt::endl;
        return 0;
    }
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(args.mid(2));
    err() << "q32: unknown command '" << name << "'\n";
    usage(err());
    return 2;
}
