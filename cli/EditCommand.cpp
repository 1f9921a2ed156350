#include "CliCommon.h"
#include "Commands.h"
#include "formats/FormatTable.h"

#include <QFileInfo>

namespace q32::cli {

int editCommand(const QStringList& args) {
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
    OpenedRecord target = openRecord(p, Access::Writable);
    if (target.exitCode)
        return target.exitCode;
    AlbumDb& album = *target.opened.album;
    PictureRecord& record = target.record;
    if (p.isSet(QStringLiteral("name")))
        record.imageFile = p.value(QStringLiteral("name"));
    if (p.isSet(QStringLiteral("keywords")))
        record.keywords = p.value(QStringLiteral("keywords"));
    if (p.isSet(QStringLiteral("description")))
        record.description = p.value(QStringLiteral("description"));
    AlbumStatus status;
    if (p.isSet(QStringLiteral("sound"))) {
        const QString sound = p.value(QStringLiteral("sound"));
        if (!QFileInfo(sound).isFile())
            return fail(sound + QStringLiteral(": no such file"));
        status = album.storeFile(record.rowId, PictureField::SoundFile, sound);
        if (!status.ok())
            return albumFailure(pos.at(0), status);
        record.soundType = SoundTypeOf(sound);
    }
    status = album.updateRecord(record);
    return status.ok() ? 0 : albumFailure(pos.at(0), status);
}

} // namespace q32::cli
