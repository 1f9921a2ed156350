// q32: the command-line tool over the album engine, for people who script their albums.

#include "CliPrompts.h"
#include "album/AddRecord.h"
#include "album/AddRunOpen.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumRecordset.h"
#include "album/DirectoryScan.h"
#include "platform/sqlite/SqliteDb.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <optional>

using namespace q32;
using q32::cli::CliPrompts;

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}
QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int fail(const QString& line, int code = 1) {
    err() << "q32: " << line << Qt::endl;
    return code;
}

// Every picture and clip kind the program reads, for folders added without --pattern.
const QString kDefaultPattern = QStringLiteral(
    "*.jpg;*.jpeg;*.jpe;*.jfif;*.png;*.gif;*.bmp;*.dib;*.tif;*.tiff;*.pcx;*.tga;*.psd;*.ras;*.sun;"
    "*.pct;*.pict;*.mac;*.pntg;*.ico;*.cur;*.wmf;*.eps;*.cal;*.cals;*.pcd;*.wpg;*.msp;*.img;*.fax;"
    "*.g3;*.mpg;*.mpeg;*.mov;*.avi");

struct Command {
    QString name;
    QString summary;
    std::function<int(const QStringList&)> run;
};

QCommandLineOption passwordStdinOption() {
    return {QStringLiteral("password-stdin"),
            QStringLiteral("Read the album's password from the first line of standard input.")};
}

// Parses the command's arguments; --help prints the command's help and exits.
void parse(QCommandLineParser& parser, const QString& command, const QString& description,
           const QStringList& args) {
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.process(QStringList{QStringLiteral("q32 ") + command} + args);
}

// Opens an album, asking for its password when it has one and none was given.
std::unique_ptr<AlbumDb> openAlbum(const QString& path, bool readOnly, bool passwordFromStdin,
                                   QString* password, AlbumStatus* status) {
    QString pw = passwordFromStdin ? cli::ReadPassword(QString(), true) : QString();
    auto album = AlbumDb::open(path, OpenOptions{readOnly, pw}, status);
    if (!album && status->condition == AlbumCondition::WrongPassword && !passwordFromStdin &&
        pw.isEmpty() && isatty(STDIN_FILENO)) {
        pw = cli::ReadPassword(QStringLiteral("Password for %1: ").arg(path), false);
        album = AlbumDb::open(path, OpenOptions{readOnly, pw}, status);
    }
    if (password)
        *password = pw;
    return album;
}

int albumFailure(const QString& path, const AlbumStatus& status) {
    if (status.condition == AlbumCondition::WrongPassword)
        return fail(QStringLiteral("%1: wrong or missing password (give it with --password-stdin)")
                        .arg(path));
    return fail(path + QStringLiteral(": ") + status.text());
}

QString field(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

int cmdCreate(const QStringList& args) {
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
    const AlbumStatus status = CreateDB(path, prompts);
    if (status.condition == AlbumCondition::FileExists)
        return fail(path + QStringLiteral(" already exists."));
    return status.ok() ? 0 : albumFailure(path, status);
}

struct StderrSink : AddRunSink {
    void setTitle(const QString&) override {}
};

int cmdAdd(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"),
                            QStringLiteral("The album; created when it does not exist."));
    p.addPositionalArgument(QStringLiteral("PATH..."),
                            QStringLiteral("Picture and clip files, and folders to search."));
    p.addOption(
        {QStringLiteral("recursive"), QStringLiteral("Search the folders' subfolders too.")});
    p.addOption({QStringLiteral("pattern"),
                 QStringLiteral("Files to take from folders, e.g. \"*.jpg;*.png\" (default: every "
                                "picture and clip kind)."),
                 QStringLiteral("PATTERN")});
    p.addOption({QStringLiteral("compress"), QStringLiteral("Store Windows bitmaps as JPEG.")});
    p.addOption({QStringLiteral("allow-duplicates"),
                 QStringLiteral("When the album is created: allow duplicate file names.")});
    p.addOption({QStringLiteral("group"),
                 QStringLiteral("Commit stored files in groups of about MB megabytes (0: after "
                                "every file; default 256)."),
                 QStringLiteral("MB"), QStringLiteral("256")});
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("add"),
          QStringLiteral("Add pictures and clips to an album. Progress goes to standard error; the "
                         "exit code is 0 only when no file failed."),
          args);
    const QStringList pos = p.positionalArguments();
    if (pos.size() < 2)
        return fail(QStringLiteral("add needs an ALBUM and at least one PATH"), 2);
    const QString albumPath = pos.at(0);

    // The files, in the order given; folders in the order their scan lists them.
    struct Failure {
        QString file;
        QString reason;
    };
    QList<Failure> failed;
    QList<Failure> skipped;
    QStringList files;
    for (const QString& path : pos.mid(1)) {
        const QFileInfo info(path);
        if (info.isDir()) {
            SearchRequest request;
            request.folder = info.absoluteFilePath();
            request.pattern = p.value(QStringLiteral("pattern"));
            request.defaultPattern = kDefaultPattern;
            request.recursive = p.isSet(QStringLiteral("recursive"));
            files << RunSearch(request).files;
        } else if (info.isFile()) {
            files << info.absoluteFilePath();
        } else {
            failed.append({path, QStringLiteral("no such file or folder")});
        }
    }

    CliPrompts prompts;
    prompts.allowDuplicates = p.isSet(QStringLiteral("allow-duplicates"));
    prompts.passwordFromStdin = p.isSet(QStringLiteral("password-stdin"));
    int readOnlyFailures = 0;
    AddRunAlbum run = OpenAlbumForAdding(albumPath, prompts, readOnlyFailures);
    if (!run.album)
        return fail(albumPath + QStringLiteral(": cannot be opened for adding"));

    QTemporaryDir work;
    StderrSink sink;
    AddContext context;
    context.album = run.album.get();
    context.prompts = &prompts;
    context.sink = &sink;
    context.appDir = work.path() + QLatin1Char('/');
    context.compressStorage = p.isSet(QStringLiteral("compress"));
    context.listCount = 0; // never the one-file naming prompts: names are the files' own
    prompts.quiet = true;  // reasons are reported below, one line per file

    // Stores are grouped into transactions of a few hundred megabytes: each durable commit costs
    // several disk flushes, and a file is reported stored only once its group is committed.
    const qint64 groupLimit = p.value(QStringLiteral("group")).toLongLong() << 20;
    constexpr qint64 kGroupMs = 2000;
    qint64 stored = 0;
    const qsizetype total = files.size();
    QList<std::pair<qsizetype, QString>> groupFiles; // position in the run, file
    qint64 groupBytes = 0;
    QElapsedTimer groupTime;
    std::optional<sqlite::Transaction> group;
    auto commitGroup = [&]() -> bool {
        if (!group)
            return true;
        const sqlite::Error error = group->commit();
        group.reset();
        QString lines;
        for (const auto& [position, file] : std::as_const(groupFiles)) {
            const QString head =
                QStringLiteral("[%1/%2] %3: ").arg(position + 1).arg(total).arg(file);
            if (error.ok()) {
                ++stored;
                lines += head + QStringLiteral("stored\n");
            } else {
                failed.append({file, QStringLiteral("not stored: ") + error.message});
                lines += head + QStringLiteral("failed: not stored: ") + error.message +
                         QLatin1Char('\n');
            }
        }
        err() << lines << Qt::flush; // one write, so a killed run never half-reports a group
        groupFiles.clear();
        groupBytes = 0;
        return error.ok();
    };
    for (qsizetype i = 0; i < total; ++i) {
        const QString& file = files.at(i);
        if (!group) {
            group.emplace(run.album->connection());
            groupTime.start();
        }
        const AddOutcome outcome = AddRectoDB(context, file);
        if (outcome.result == AddResult::Stored) {
            groupFiles.append({i, file});
            groupBytes += QFileInfo(file).size();
        } else {
            (outcome.result == AddResult::Skipped ? skipped : failed)
                .append({file, outcome.reason});
            err() << QStringLiteral("[%1/%2] %3: ").arg(i + 1).arg(total).arg(file)
                  << (outcome.result == AddResult::Skipped ? "skipped: " : "failed: ")
                  << outcome.reason << Qt::endl;
        }
        // A failure of the album itself (disk full, damage) ends the run; a bad file does not.
        const bool albumFailed =
            outcome.result == AddResult::Failed && outcome.imaging == ImagingCondition::None;
        if (albumFailed || groupBytes >= groupLimit || groupTime.elapsed() >= kGroupMs)
            if (!commitGroup() || albumFailed) {
                for (qsizetype j = i + 1; j < total; ++j)
                    failed.append(
                        {files.at(j), QStringLiteral("not attempted after the album failed")});
                break;
            }
    }
    commitGroup();
    run.album.reset();

    err() << QStringLiteral("%1 stored, %2 skipped, %3 failed")
                 .arg(stored)
                 .arg(skipped.size())
                 .arg(failed.size())
          << Qt::endl;
    for (const auto& s : skipped)
        err() << "skipped " << s.file << ": " << s.reason << Qt::endl;
    for (const auto& f : failed)
        err() << "failed " << f.file << ": " << f.reason << Qt::endl;
    return failed.isEmpty() ? 0 : 1;
}

int cmdList(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption({QStringLiteral("sort"),
                 QStringLiteral("Order 0-9: 0/1 date up/down, 2/3 file name, 4/5 format, 6/7 "
                                "keywords filter, 8/9 description filter."),
                 QStringLiteral("N"), QStringLiteral("0")});
    p.addOption(
        {QStringLiteral("keywords"),
         QStringLiteral("Only pictures whose keywords contain K (order 6, or 7 with --sort 7)."),
         QStringLiteral("K")});
    p.addOption({QStringLiteral("description"),
                 QStringLiteral(
                     "Only pictures whose description contains D (order 8, or 9 with --sort 9)."),
                 QStringLiteral("D")});
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("list"),
          QStringLiteral(
              "List an album's records, tab-separated, one per line after a header line. Tabs, "
              "newlines and backslashes inside fields are written as \\t, \\n and \\\\."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("list needs exactly one ALBUM"), 2);
    if (p.isSet(QStringLiteral("keywords")) && p.isSet(QStringLiteral("description")))
        return fail(QStringLiteral("give --keywords or --description, not both"), 2);
    AlbumQuery query;
    bool ok = false;
    query.order = p.value(QStringLiteral("sort")).toInt(&ok);
    if (!ok || query.order < 0 || query.order >= AlbumQuery::OrderCount)
        return fail(QStringLiteral("--sort takes a number from 0 to 9"), 2);
    if (p.isSet(QStringLiteral("keywords"))) {
        query.keywords = p.value(QStringLiteral("keywords"));
        if (query.order != 7)
            query.order = 6;
    } else if (p.isSet(QStringLiteral("description"))) {
        query.description = p.value(QStringLiteral("description"));
        if (query.order != 9)
            query.order = 8;
    }
    const QString path = p.positionalArguments().at(0);
    AlbumStatus status;
    auto album = openAlbum(path, true, p.isSet(QStringLiteral("password-stdin")), nullptr, &status);
    if (!album)
        return albumFailure(path, status);
    AlbumRecordset rows(*album, query);
    if (!rows.status().ok())
        return albumFailure(path, rows.status());
    out() << "RowId\tDate\tImageFile\tImageFormat\tImageProperties\tKeywords\tDescription\tSoundTyp"
             "e\n";
    for (qint64 i = 0; i < rows.recordCount(); ++i) {
        const auto r = rows.recordAt(i, &status);
        if (!r)
            return albumFailure(path, status);
        out() << r->rowId << '\t' << r->date.toString(Qt::ISODate) << '\t' << field(r->imageFile)
              << '\t' << field(r->imageFormat) << '\t' << field(r->imageProperties) << '\t'
              << field(r->keywords) << '\t' << field(r->description) << '\t' << field(r->soundType)
              << '\n';
    }
    out().flush();
    return 0;
}

// Opens ALBUM and finds its record ROWID (the first two positional arguments); exitCode says why
// when that fails.
struct RecordTarget {
    std::unique_ptr<AlbumDb> album;
    PictureRecord record;
    int exitCode = 0;
};

RecordTarget openRecord(const QCommandLineParser& p, bool readOnly) {
    RecordTarget target;
    const QStringList pos = p.positionalArguments();
    bool ok = false;
    const qint64 rowId = pos.at(1).toLongLong(&ok);
    if (!ok) {
        target.exitCode = fail(QStringLiteral("ROWID must be a number"), 2);
        return target;
    }
    AlbumStatus status;
    target.album =
        openAlbum(pos.at(0), readOnly, p.isSet(QStringLiteral("password-stdin")), nullptr, &status);
    if (!target.album) {
        target.exitCode = albumFailure(pos.at(0), status);
        return target;
    }
    if (auto record = target.album->record(rowId, &status))
        target.record = *record;
    else
        target.exitCode =
            fail(QStringLiteral("%1: no record with row id %2").arg(pos.at(0)).arg(rowId));
    return target;
}

int cmdExtract(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addPositionalArgument(QStringLiteral("ROWID"),
                            QStringLiteral("The record's row id (first column of q32 list)."));
    p.addPositionalArgument(
        QStringLiteral("OUTFILE"),
        QStringLiteral("Where to write the stored picture or clip, byte for byte."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("extract"), QStringLiteral("Write a record's stored file."), args);
    const QStringList pos = p.positionalArguments();
    if (pos.size() != 3)
        return fail(QStringLiteral("extract needs ALBUM ROWID OUTFILE"), 2);
    RecordTarget target = openRecord(p, true);
    if (target.exitCode)
        return target.exitCode;
    const qint64 rowId = target.record.rowId;
    const qint64 written = target.album->ExtractFieldToFile(rowId, PictureField::Image, pos.at(2));
    if (written < 0)
        return fail(pos.at(2) + QStringLiteral(": ") +
                    AlbumConditionText(AlbumCondition(-written)));
    if (written == 0)
        return fail(QStringLiteral("record %1 holds no picture").arg(rowId));
    err() << written << " bytes written to " << pos.at(2) << Qt::endl;
    return 0;
}

int cmdInfo(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("info"),
          QStringLiteral("Describe an album: size, records, protection, duplicate policy, health."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("info needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    AlbumStatus status;
    auto album = openAlbum(path, true, p.isSet(QStringLiteral("password-stdin")), nullptr, &status);
    if (!album)
        return albumFailure(path, status);
    const AlbumStatus health = album->integrityCheck();
    out() << "Album: " << QFileInfo(path).absoluteFilePath() << '\n'
          << "Size: " << QFileInfo(path).size() << " bytes\n"
          << "Records: " << album->rowCount() << '\n'
          << "Password: " << (album->isEncrypted() ? "yes (encrypted)" : "no") << '\n'
          << "Duplicate file names: " << (album->allowsDuplicates() ? "allowed" : "refused") << '\n'
          << "Writable: " << (QFileInfo(path).isWritable() ? "yes" : "no") << '\n'
          << "Integrity: " << (health.ok() ? QStringLiteral("ok") : health.text()) << '\n';
    out().flush();
    return 0;
}

// Compact and repair need every handle closed; the password is checked by opening first.
bool checkPassword(const QString& path, bool fromStdin, QString* password, int* code) {
    AlbumStatus status;
    auto album = openAlbum(path, true, fromStdin, password, &status);
    if (!album && status.condition != AlbumCondition::Damaged) {
        *code = albumFailure(path, status);
        return false;
    }
    return true;
}

int cmdCompact(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("compact"),
          QStringLiteral(
              "Rewrite the album to reclaim space; the old file is kept beside it as .bak."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("compact needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    QString password;
    int code = 0;
    if (!checkPassword(path, p.isSet(QStringLiteral("password-stdin")), &password, &code))
        return code;
    const CompactReport report = CompactAlbumFile(path, password);
    if (!report.status.ok())
        return albumFailure(path, report.status);
    out() << report.message().replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
    out().flush();
    return 0;
}

int cmdRepair(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("repair"),
          QStringLiteral(
              "Check the album and rebuild it from every readable row when it is damaged."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("repair needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    QString password;
    if (p.isSet(QStringLiteral("password-stdin")))
        password = cli::ReadPassword(QString(), true);
    const RepairReport report = FixDatabase(path, password);
    out() << report.message(path) << '\n';
    out().flush();
    return report.status.ok() ? 0 : 1;
}

int cmdPassword(const QStringList& args) {
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
    const bool fromStdin = p.isSet(QStringLiteral("password-stdin"));
    QString oldPassword;
    QString newPassword;
    if (!p.isSet(QStringLiteral("set")))
        oldPassword = cli::ReadPassword(QStringLiteral("Current password: "), fromStdin);
    if (!p.isSet(QStringLiteral("remove"))) {
        newPassword = cli::ReadPassword(QStringLiteral("New password: "), fromStdin);
        if (!fromStdin && isatty(STDIN_FILENO) &&
            cli::ReadPassword(QStringLiteral("New password again: "), false) != newPassword)
            return fail(QStringLiteral("the two new passwords differ; nothing changed"));
        if (newPassword.isEmpty())
            return fail(QStringLiteral("an empty password is no password; use --remove"), 2);
    }
    const AlbumStatus status = ChangeAlbumPassword(path, oldPassword, newPassword);
    return status.ok() ? 0 : albumFailure(path, status);
}

// The kind of a sound by the last three characters of its file name, any case.
QString SoundTypeOf(const QString& file) {
    const QString tail = file.right(3).toLower();
    if (tail == QLatin1String("wav"))
        return QStringLiteral("WAVE");
    if (tail == QLatin1String("mid"))
        return QStringLiteral("MIDI");
    return QStringLiteral("OTHER");
}

int cmdEdit(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addPositionalArgument(QStringLiteral("ROWID"),
                            QStringLiteral("The record's row id (first column of q32 list)."));
    p.addOption({QStringLiteral("name"), QStringLiteral("New file name (ImageFile)."),
                 QStringLiteral("NAME")});
    p.addOption({QStringLiteral("keywords"), QStringLiteral("New keywords."), QStringLiteral("K")});
    p.addOption(
        {QStringLiteral("description"), QStringLiteral("New description."), QStringLiteral("D")});
    p.addOption({QStringLiteral("sound"),
                 QStringLiteral("Attach this sound file (.wav, .mid or other)."),
                 QStringLiteral("FILE")});
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("edit"),
          QStringLiteral("Change a record's name, keywords or description, or attach a sound."),
          args);
    const QStringList pos = p.positionalArguments();
    if (pos.size() != 2)
        return fail(QStringLiteral("edit needs ALBUM ROWID"), 2);
    RecordTarget target = openRecord(p, false);
    if (target.exitCode)
        return target.exitCode;
    PictureRecord& record = target.record;
    AlbumStatus status;
    if (p.isSet(QStringLiteral("name")))
        record.imageFile = p.value(QStringLiteral("name"));
    if (p.isSet(QStringLiteral("keywords")))
        record.keywords = p.value(QStringLiteral("keywords"));
    if (p.isSet(QStringLiteral("description")))
        record.description = p.value(QStringLiteral("description"));
    if (p.isSet(QStringLiteral("sound"))) {
        const QString sound = p.value(QStringLiteral("sound"));
        if (!QFileInfo(sound).isFile())
            return fail(sound + QStringLiteral(": no such file"));
        status = target.album->storeFile(record.rowId, PictureField::SoundFile, sound);
        if (!status.ok())
            return albumFailure(pos.at(0), status);
        record.soundType = SoundTypeOf(sound);
    }
    status = target.album->updateRecord(record);
    return status.ok() ? 0 : albumFailure(pos.at(0), status);
}

const QList<Command>& commands() {
    static const QList<Command> list = {
        {QStringLiteral("create"), QStringLiteral("create a new, empty album"), cmdCreate},
        {QStringLiteral("add"), QStringLiteral("add pictures, clips and folders to an album"),
         cmdAdd},
        {QStringLiteral("list"), QStringLiteral("list the records, sorted or filtered"), cmdList},
        {QStringLiteral("extract"), QStringLiteral("write a record's stored file"), cmdExtract},
        {QStringLiteral("edit"), QStringLiteral("change a record's texts or attach a sound"),
         cmdEdit},
        {QStringLiteral("info"), QStringLiteral("describe an album"), cmdInfo},
        {QStringLiteral("compact"), QStringLiteral("rewrite an album to reclaim space"),
         cmdCompact},
        {QStringLiteral("repair"), QStringLiteral("check and rebuild a damaged album"), cmdRepair},
        {QStringLiteral("password"), QStringLiteral("set, change or remove an album's password"),
         cmdPassword},
    };
    return list;
}

void usage(QTextStream& to) {
    to << "Usage: q32 COMMAND [OPTIONS] ALBUM ...\n\nCommands:\n";
    for (const Command& c : commands())
        to << "  " << c.name.leftJustified(10) << c.summary << '\n';
    to << "\n'q32 COMMAND --help' explains a command's options. Albums with a password take\n"
          "--password-stdin, or ask on the terminal.\n";
    to.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q32"));
    QCoreApplication::setApplicationVersion(QStringLiteral("6.04"));
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
        out() << "q32 6.04" << Qt::endl;
        return 0;
    }
    for (const Command& c : commands())
        if (c.name == name)
            return c.run(args.mid(2));
    err() << "q32: unknown command '" << name << "'\n";
    usage(err());
    return 2;
}
