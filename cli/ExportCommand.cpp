#include "CliCommon.h"
#include "Commands.h"
#include "album/AlbumRecordset.h"
#include "output/export/ExportFormats.h"
#include "output/export/ExportJob.h"
#include "platform/imaging/QualityFactor.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

namespace q32::cli {
namespace {

// The save options from --format, --bits, --quality and --append; exit code 2 on a bad one.
int saveOptionsFrom(const QCommandLineParser& p, SaveOptions& save) {
    bool ok = false;
    save.formatCode = p.value(QStringLiteral("format")).toInt(&ok);
    if (!ok || !CanWriteFormat(save.formatCode)) {
        QStringList codes;
        for (const ExportFormat& f : ExportFormats())
            for (const ExportFlavor& flavor : f.flavors)
                if (flavor.writable)
                    codes << QString::number(flavor.code);
        return fail(QStringLiteral("format %1 cannot be written; these can: %2")
                        .arg(p.value(QStringLiteral("format")), codes.join(QStringLiteral(", "))),
                    2);
    }
    if (p.isSet(QStringLiteral("bits"))) {
        save.bitsPerPixel = p.value(QStringLiteral("bits")).toInt(&ok);
        const QList<int> bits = WritableBits(save.formatCode);
        if (!ok || !bits.contains(save.bitsPerPixel)) {
            QStringList allowed;
            for (int b : bits)
                allowed << QString::number(b);
            const QString last = allowed.takeLast();
            return fail(QStringLiteral("format %1 takes --bits %2")
                            .arg(save.formatCode)
                            .arg(allowed.isEmpty() ? last
                                                   : allowed.join(QStringLiteral(", ")) +
                                                         QStringLiteral(" or ") + last),
                        2);
        }
    }
    save.qualityFactor = p.value(QStringLiteral("quality")).toInt(&ok);
    if (!ok || !QualityFactorValid(save.qualityFactor))
        return fail(QStringLiteral("--quality takes 2 (best) .. 255 (smallest) or -1 .. -9"), 2);
    save.multiPage = p.isSet(QStringLiteral("append"));
    return 0;
}

// The record's picture written to target: copied out of the album, then converted.
QString exportRecord(AlbumStore& album, const PictureRecord& record, const QString& target,
                     const std::optional<SaveOptions>& save) {
    if (!save) { // the stored file as it is
        const qint64 n = album.extractToFile(record.rowId, PictureField::Image, target);
        return n > 0   ? QString()
               : n < 0 ? AlbumConditionText(AlbumCondition(-n))
                       : QStringLiteral("the record holds nothing");
    }
    if (IsClipFormat(record.imageFormat))
        return QStringLiteral("a video clip, not a picture");
    QTemporaryFile source(QFileInfo(target).absolutePath() + QStringLiteral("/.q32-XXXXXX"));
    if (!source.open())
        return QStringLiteral("cannot write in %1").arg(QFileInfo(target).absolutePath());
    const qint64 n = album.extractToFile(record.rowId, PictureField::Image, source.fileName());
    if (n <= 0)
        return n < 0 ? AlbumConditionText(AlbumCondition(-n))
                     : QStringLiteral("the record holds nothing");
    const ImagingCondition c = ExportPicture(source.fileName(), target, *save);
    return c == ImagingCondition::None
               ? QString()
               : QStringLiteral("%1 (condition %2)").arg(ConditionText(c)).arg(ConditionNumber(c));
}

// The record's file name in folder, with the extension of format code (0: kept); a name already
// taken (by an earlier record or a file there) is numbered: "beach (2).png".
QString targetName(const QDir& folder, const PictureRecord& record, int code,
                   QSet<QString>& taken) {
    QString name = record.imageFile;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("record-%1").arg(record.rowId);
    QString base = name, ext;
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0) {
        base = name.left(dot);
        ext = name.mid(dot + 1);
    }
    if (code != 0 && !IsClipFormat(record.imageFormat))
        ext = ExportExtension(code);
    const QString tail = ext.isEmpty() ? QString() : QLatin1Char('.') + ext;
    QString candidate = base + tail;
    for (int n = 2; taken.contains(candidate.toLower()) || folder.exists(candidate); ++n)
        candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(tail);
    taken.insert(candidate.toLower());
    return folder.filePath(candidate);
}

int exportAll(const QCommandLineParser& p, const std::optional<SaveOptions>& save) {
    AlbumQuery query;
    if (const int code = queryFromOptions(p, query))
        return code;
    const QString path = p.positionalArguments().at(0);
    const QString folderPath = p.value(QStringLiteral("all"));
    if (!QDir().mkpath(folderPath) || !QFileInfo(folderPath).isWritable())
        return fail(folderPath + QStringLiteral(": the folder cannot be written"));
    const OpenedAlbum opened = openForCommand(path, p, Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    AlbumRecordset rows(*opened.album, query);
    if (!rows.status().ok())
        return albumFailure(path, rows.status());

    const QDir folder(folderPath);
    QSet<QString> taken;
    const int code = save ? save->formatCode : 0;
    qint64 failed = 0;
    const qint64 count = rows.recordCount();
    for (qint64 i = 0; i < count; ++i) {
        AlbumStatus status;
        const auto record = rows.recordAt(i, &status);
        if (!record)
            return albumFailure(path, status);
        const QString target = targetName(folder, *record, code, taken);
        err() << '[' << (i + 1) << '/' << count << "] " << QFileInfo(target).fileName() << Qt::endl;
        // Clips are copied as they are stored when a format is asked for.
        const bool clip = save && IsClipFormat(record->imageFormat);
        const QString problem =
            exportRecord(*opened.album, *record, target, clip ? std::nullopt : save);
        if (!problem.isEmpty()) {
            ++failed;
            fail(QStringLiteral("%1 (row %2): %3")
                     .arg(record->imageFile)
                     .arg(record->rowId)
                     .arg(problem));
        }
    }
    err() << (count - failed) << " of " << count << " records exported to " << folderPath
          << Qt::endl;
    return failed ? 1 : 0;
}

} // namespace

int exportCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"), QStringLiteral("The album."));
    p.addPositionalArgument(QStringLiteral("ROWID"),
                            QStringLiteral("The record's row id (first column of q32 list)."));
    p.addPositionalArgument(QStringLiteral("OUTFILE"), QStringLiteral("The file to write."));
    p.addOption({QStringLiteral("format"),
                 QStringLiteral("The format code to write (75 PNG, 10 JPEG, 6 BMP, 17 TIFF LZW, "
                                "29 TIFF Group 4, ...; see the README's format table)."),
                 QStringLiteral("CODE")});
    p.addOption({QStringLiteral("bits"),
                 QStringLiteral("Bits per pixel (default: what the picture has, or the nearest "
                                "the format holds)."),
                 QStringLiteral("N")});
    p.addOption({QStringLiteral("quality"),
                 QStringLiteral("JPEG quality factor: 2 best .. 255 smallest, or -1 .. -9 "
                                "(default 20)."),
                 QStringLiteral("Q"), QStringLiteral("20")});
    p.addOption({QStringLiteral("append"),
                 QStringLiteral("Add the picture as a page to an existing TIFF or PCX (DCX).")});
    p.addOption({QStringLiteral("all"),
                 QStringLiteral("Export every record of the order or filter into DIR instead, "
                                "names kept (a clash is numbered); without --format the stored "
                                "files as they are."),
                 QStringLiteral("DIR")});
    p.addOption({QStringLiteral("web"),
                 QStringLiteral("Write a web gallery of the order or filter into DIR instead: "
                                "index pages of thumbnails and a page per record, to open from "
                                "disk or any web server. DIR must be new, empty or an earlier "
                                "gallery, which is replaced."),
                 QStringLiteral("DIR")});
    p.addOption({QStringLiteral("title"), QStringLiteral("With --web: the gallery's title."),
                 QStringLiteral("T")});
    p.addOption({QStringLiteral("size"),
                 QStringLiteral("With --web: the longest side of the pictures (default 1280)."),
                 QStringLiteral("PIXELS"), QStringLiteral("1280")});
    p.addOption({QStringLiteral("thumbnail-size"),
                 QStringLiteral("With --web: the longest side of the thumbnails (default 200)."),
                 QStringLiteral("PIXELS"), QStringLiteral("200")});
    p.addOption({QStringLiteral("per-page"),
                 QStringLiteral("With --web: thumbnails on one index page (default 240)."),
                 QStringLiteral("N"), QStringLiteral("240")});
    p.addOption({QStringLiteral("show"),
                 QStringLiteral("With --web: the texts shown beside a picture, any of "
                                "description,keywords,date,properties (default the first "
                                "three)."),
                 QStringLiteral("LIST"), QStringLiteral("description,keywords,date")});
    p.addOption({QStringLiteral("originals"),
                 QStringLiteral("With --web: copy the stored files beside the pictures.")});
    p.addOption({QStringLiteral("unprotected"),
                 QStringLiteral("With --web: write the gallery of a password-protected album "
                                "(its pictures become ordinary files).")});
    p.addOption({QStringLiteral("sort"),
                 QStringLiteral("With --all or --web: the order 0-9, as q32 list."),
                 QStringLiteral("N"), QStringLiteral("0")});
    p.addOption({QStringLiteral("keywords"),
                 QStringLiteral("With --all or --web: only pictures whose keywords contain K."),
                 QStringLiteral("K")});
    p.addOption({QStringLiteral("description"),
                 QStringLiteral("With --all or --web: only pictures whose description contains D."),
                 QStringLiteral("D")});
    p.addOption(passwordStdinOption());
    parse(p, QStringLiteral("export"),
          QStringLiteral("Write a record's picture in another format, every record into a "
                         "folder, or a web gallery of them. Progress and errors go to standard "
                         "error."),
          args);
    const QStringList pos = p.positionalArguments();
    if (p.isSet(QStringLiteral("web"))) {
        if (pos.size() != 1 || p.isSet(QStringLiteral("all")) || p.isSet(QStringLiteral("format")))
            return fail(QStringLiteral("export --web needs ALBUM --web DIR, without --all or "
                                       "--format"),
                        2);
        return exportWebGallery(p);
    }
    const bool all = p.isSet(QStringLiteral("all"));
    if (all ? pos.size() != 1 : pos.size() != 3)
        return fail(QStringLiteral("export needs ALBUM ROWID OUTFILE --format CODE, or ALBUM "
                                   "--all DIR, or ALBUM --web DIR"),
                    2);
    std::optional<SaveOptions> save;
    if (p.isSet(QStringLiteral("format"))) {
        save.emplace();
        if (const int code = saveOptionsFrom(p, *save))
            return code;
    } else if (!all) {
        return fail(QStringLiteral("export needs --format CODE (q32 extract writes the stored "
                                   "file as it is)"),
                    2);
    }
    if (all)
        return exportAll(p, save);

    const OpenedRecord target = openRecord(p, Access::ReadOnly);
    if (target.exitCode)
        return target.exitCode;
    const QString problem = exportRecord(*target.opened.album, target.record, pos.at(2), save);
    if (!problem.isEmpty())
        return fail(pos.at(2) + QStringLiteral(": ") + problem);
    err() << "record " << target.record.rowId << " written to " << pos.at(2) << Qt::endl;
    return 0;
}

} // namespace q32::cli
