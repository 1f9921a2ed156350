#include "shell/records/ToolStates.h"

namespace q32 {

QList<ToolState> ComputeToolStates(const ToolContext& c, std::span<const char* const> sortTools) {
    const bool hasRecord = c.queryRows >= 1;
    QList<ToolState> out;
    // Without an album, adding pictures starts a new one.
    out.append({QStringLiteral("ID_AddImages"), true, {}});
    for (const char* id :
         {"ID_AttachSound", "ID_ExportImage", "ID_DeleteImage", "ID_ImageProcessing"})
        out.append({QLatin1String(id), hasRecord, {}});
    // The orders and filters follow the album, not the list: a filter that matches nothing
    // must leave the way out of it open.
    const bool sortable = hasRecord || (c.albumOpen && c.albumRows > 0);
    for (const char* id : sortTools)
        out.append({QLatin1String(id), sortable, {}});

    const QString noAlbum = QStringLiteral(" (no Depository open)");
    const QString noRecord = QStringLiteral(" (no current image: open a Depository with pictures)");
    out.append({QStringLiteral("ID_PrintImage"), hasRecord, noRecord});
    out.append({QStringLiteral("ID_PrintContactSheet"), hasRecord, noRecord});
    out.append({QStringLiteral("ID_ExportWebGallery"), c.albumOpen, noAlbum});

    // A clip has no picture to compare.
    const QString similarOff = !c.albumOpen      ? noAlbum
                               : !c.hasCurrent   ? QStringLiteral(" (no current image)")
                               : c.currentIsClip ? QStringLiteral(" (the current record is a clip)")
                                                 : QString();
    out.append({QStringLiteral("ID_FindSimilar"), similarOff.isEmpty(), similarOff});
    return out;
}

} // namespace q32
