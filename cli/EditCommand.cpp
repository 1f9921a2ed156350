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
    AlbumStore& album = *target.opened.album;
    PictureRecord& record = target.record;
    if (p.isSet(QStringLiteral("name")))
        record.imageFile = p.value(QStringLiteral("name"));
    if (p.isSet(QStringLiteral("keywords")))
        record.keywords = p.value(QStringLiteral("keywords"));
    if (p.isSet(QStringLiteral("description")))
        record.description = p.value(QStringLiteral("description"));
    // The texts and the sound together or neither; on a server album, refused when someone else
    // saved the record since it was read here.
    AlbumStatus status;
    const std::unique_ptr<WriteGroup> group = album.beginGroup(&status);
    if (!group)
        return albumFailure(albumName(pos.at(0)), status);
    std::unique_ptr<FieldReader> sound;
    if (p.isSet(QStringLiteral("sound"))) {
        const QString path = p.value(QStringLiteral("sound"));
        if (!QFileInfo(path).isFile())
            return fail(path + QStringLiteral(": no such file"));
        sound = FileFieldReader(path, &status);
        if (!sound)
            return fail(status.text());
        record.soundType = SoundTypeOf(path);
    }
    status = album.updateRecord(record);
    if (status.ok() && sound)
        status = album.storeField(record.rowId, PictureField::SoundFile, *sound);
    if (status.ok())
        status = group->commit();
    return status.ok() ? 0 : albumFailure(albumName(pos.at(0)), status);
}

} // namespace q32::cli
