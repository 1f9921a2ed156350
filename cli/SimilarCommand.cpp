#include "CliCommon.h"
#include "Commands.h"
#include "album/add/SimilarPictures.h"

#include <QFileInfo>

namespace q32::cli {

int similarCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addPositionalArgument(QStringLiteral("ROWID"),
                            QStringLiteral("Only the records like this one."),
                            QStringLiteral("[ROWID]"));
    const QCommandLineOption distance(
        QStringLiteral("distance"),
        QStringLiteral("The largest difference, in bits of 64, that counts as alike (default %1).")
            .arg(kSimilarDistance),
        QStringLiteral("N"), QString::number(kSimilarDistance));
    p.addOption(distance);
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("similar"),
          QStringLiteral("List the records whose pictures look alike (resized, recompressed, "
                         "slightly cropped or brightened copies), nearest first. Without ROWID: "
                         "the groups of the whole album, a header line, then one tab-separated "
                         "line per record (group number, row id, distance to the group's first "
                         "record, ImageFile). With ROWID: the records like that one (row id, "
                         "distance, ImageFile). Pictures not hashed yet are hashed first; the "
                         "hashes are kept when the album is writable."),
          args);
    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty() || pos.size() > 2)
        return fail(QStringLiteral("similar needs an ALBUM and at most one ROWID"), 2);
    bool ok = false;
    const int maxDistance = p.value(distance).toInt(&ok);
    if (!ok || maxDistance < 0 || maxDistance > kHashBits)
        return fail(QStringLiteral("--distance must be a number from 0 to %1").arg(kHashBits), 2);
    qint64 rowId = 0;
    if (pos.size() == 2) {
        rowId = pos.at(1).toLongLong(&ok);
        if (!ok || rowId <= 0)
            return fail(
                QStringLiteral("ROWID must be a record's row id, not \"%1\"").arg(pos.at(1)), 2);
    }
    const QString path = pos.at(0);
    // Writable when it can be, so the hashes made now are kept for next time.
    const OpenedAlbum opened =
        openForCommand(path, p, QFileInfo(path).isWritable() ? Access::Writable : Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    AlbumDb& album = *opened.album;
    AlbumStatus status;
    if (rowId > 0) {
        const auto record = album.record(rowId, &status);
        if (!record)
            return fail(QStringLiteral("%1: no record %2").arg(path).arg(rowId));
        const QList<SimilarMatch> found = FindSimilarRecords(album, rowId, maxDistance, &status);
        if (!status.ok())
            return albumFailure(path, status);
        if (found.isEmpty())
            return fail(QStringLiteral("record %1 holds no picture to compare").arg(rowId));
        out() << "RowId\tDistance\tImageFile\n";
        for (const SimilarMatch& match : found.mid(1)) {
            const auto other = album.record(match.rowId);
            out() << match.rowId << '\t' << match.distance << '\t'
                  << escapedField(other ? other->imageFile : QString()) << '\n';
        }
        out().flush();
        err() << QStringLiteral("%1 records like record %2").arg(found.size() - 1).arg(rowId)
              << Qt::endl;
        return 0;
    }
    const std::vector<HashEntry> entries = AllPictureHashes(album, &status);
    if (!status.ok())
        return albumFailure(path, status);
    const QList<QList<SimilarMatch>> groups = GroupSimilarHashes(entries, maxDistance);
    out() << "Group\tRowId\tDistance\tImageFile\n";
    qsizetype records = 0;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        for (const SimilarMatch& match : groups[g]) {
            const auto record = album.record(match.rowId);
            out() << g + 1 << '\t' << match.rowId << '\t' << match.distance << '\t'
                  << escapedField(record ? record->imageFile : QString()) << '\n';
        }
        records += groups[g].size();
    }
    out().flush();
    err() << QStringLiteral("%1 groups of similar pictures, %2 records")
                 .arg(groups.size())
                 .arg(records)
          << Qt::endl;
    return 0;
}

} // namespace q32::cli
