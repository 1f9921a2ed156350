#include "CliCommon.h"
#include "Commands.h"

namespace q32::cli {

int extractCommand(const QStringList& args) {
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
    const OpenedRecord target = openRecord(p, Access::ReadOnly);
    if (target.exitCode)
        return target.exitCode;
    const qint64 rowId = target.record.rowId;
    const qint64 written =
        target.opened.album->extractToFile(rowId, PictureField::Image, pos.at(2));
    if (written < 0)
        return fail(pos.at(2) + QStringLiteral(": ") +
                    AlbumConditionText(AlbumCondition(-written)));
    if (written == 0)
        return fail(QStringLiteral("record %1 holds no picture").arg(rowId));
    err() << written << " bytes written to " << pos.at(2) << Qt::endl;
    return 0;
}

} // namespace q32::cli
