#include "CliCommon.h"
#include "Commands.h"

namespace q32::cli {

int listCommand(const QStringList& args) {
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("ALBUM"),
                            QStringLiteral("The album: a file, or a postgresql:// URI."));
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
    const OpenedStore opened = openStoreForCommand(path, p, Access::ReadOnly);
    if (!opened.album)
        return opened.exitCode;
    out() << "RowId\tDate\tImageFile\tImageFormat\tImageProperties\tKeywords\tDescription\tSoundTyp"
             "e\n";
    // Streamed: a filter's first rows are written while the rest are still being found.
    const AlbumStatus status = opened.album->forEachRecord(query, [](const PictureRecord& r) {
        out() << r.rowId << '\t' << r.date.toString(Qt::ISODate) << '\t'
              << escapedField(r.imageFile) << '\t' << escapedField(r.imageFormat) << '\t'
              << escapedField(r.imageProperties) << '\t' << escapedField(r.keywords) << '\t'
              << escapedField(r.description) << '\t' << escapedField(r.soundType) << '\n';
        return true;
    });
    if (!status.ok())
        return albumFailure(albumName(path), status);
    out().flush();
    return 0;
}

} // namespace q32::cli
