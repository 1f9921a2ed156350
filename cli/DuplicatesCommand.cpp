#include "CliCommon.h"
#include "Commands.h"
#include "album/ContentHashes.h"

#include <QFileInfo>

namespace q32::cli {

int duplicatesCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("duplicates"),
          QStringLiteral("List the groups of records whose stored pictures are byte for byte the "
                         "same: a header line, then one tab-separated line per record (group "
                         "number, row id, ImageFile). Records without a hash yet (added since the "
                         "program last ran on the album, or stored by an earlier build) are "
                         "hashed first; the hashes are kept when the album is writable."),
          args);
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("duplicates needs exactly one ALBUM"), 2);
    const QString path = p.positionalArguments().at(0);
    // Writable when it can be, so the hashes made now are kept for next time.
    const bool writable = IsServerAlbumName(path) || QFileInfo(path).isWritable();
    const OpenedStore opened =
        openStoreForCommand(path, p, writable ? Access::Writable : Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    if (!opened.album->isReadOnly()) {
        const AlbumStatus filled = opened.album->completeContentHashes({});
        if (!filled.ok())
            return albumFailure(albumName(path), filled);
    }
    AlbumStatus status;
    const QList<DuplicateGroup> groups = opened.album->findDuplicateGroups(&status);
    if (!status.ok())
        return albumFailure(albumName(path), status);
    out() << "Group\tRowId\tImageFile\n";
    for (qsizetype g = 0; g < groups.size(); ++g)
        for (const ContentMatch& record : groups[g].records)
            out() << g + 1 << '\t' << record.rowId << '\t' << escapedField(record.imageFile)
                  << '\n';
    out().flush();
    qsizetype records = 0;
    for (const DuplicateGroup& group : groups)
        records += group.records.size();
    err() << QStringLiteral("%1 groups of the same picture, %2 records")
                 .arg(groups.size())
                 .arg(records)
          << Qt::endl;
    return 0;
}

} // namespace q32::cli
