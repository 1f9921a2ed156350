#include "shell/SimilarCommand.h"

#include "album/SimilarPictures.h"
#include "common/Settings.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"
#include "shell/CommandBar.h"

#include <QAction>

namespace q32 {
namespace {

const char kTool[] = "ID_FindSimilar";
const char kTitle[] = "FIND SIMILAR";

} // namespace

QString FindSimilarUnavailableReason(const AlbumBrowser& browser) {
    if (!browser.album())
        return QStringLiteral(" (no Depository open)");
    if (!browser.recordset() || !browser.recordset()->hasCurrent())
        return QStringLiteral(" (no current image)");
    if (browser.media().kind == MediaKind::Video)
        return QStringLiteral(" (the current record is a clip)");
    return {};
}

bool RunFindSimilar(AlbumBrowser& browser, PromptService& prompts, Settings& settings) {
    if (!FindSimilarUnavailableReason(browser).isEmpty())
        return false;
    const QString section = QStringLiteral("Main");
    const QString key = QStringLiteral("SimilarDistance");
    QString kept = settings.RegGetString(section, key);
    if (kept.isEmpty())
        kept = QString::number(kSimilarDistance);
    // Short: the box is as wide as its question.
    const QString answer = prompts.input(
        QStringLiteral("Largest difference from this picture, in bits of 64 (0: the same):"),
        QLatin1String(kTitle), kept);
    if (answer.isEmpty())
        return false;
    bool ok = false;
    const int distance = answer.trimmed().toInt(&ok);
    if (!ok || distance < 0 || distance > kHashBits) {
        prompts.msgBox(QStringLiteral("\"%1\" is not a distance: give a whole number from 0 to %2.")
                           .arg(answer)
                           .arg(kHashBits),
                       MsgIcon::Exclamation, QLatin1String(kTitle));
        return false;
    }
    settings.RegPutString(section, key, QString::number(distance));

    AlbumRecordset& rows = *browser.recordset();
    const qint64 rowId = rows.currentRowId();
    const QString name = rows.current() ? rows.current()->imageFile : QString();
    AlbumStatus status;
    QList<SimilarMatch> found;
    {
        BusyGuard busy(prompts);
        found = FindSimilarRecords(*browser.album(), rowId, distance, &status);
    }
    if (!status.ok()) {
        prompts.msgBox(status.text(), MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (Find Similar)"));
        return false;
    }
    if (found.isEmpty()) {
        prompts.msgBox(QStringLiteral("\"%1\" holds no picture to compare.").arg(name),
                       MsgIcon::Information, QLatin1String(kTitle));
        return false;
    }
    QList<qint64> ids;
    for (const SimilarMatch& match : std::as_const(found))
        ids << match.rowId;
    browser.showSimilar(ids, name, distance);
    return true;
}

void UpdateFindSimilarTool(CommandBar& bar, const AlbumBrowser& browser) {
    QAction* tool = bar.tool(QLatin1String(kTool));
    if (!tool)
        return;
    const QString why = FindSimilarUnavailableReason(browser);
    // The tip names the reason while there is one, and loses it again after.
    QString tip = tool->toolTip();
    const qsizetype open = tip.lastIndexOf(QStringLiteral(" ("));
    if (open > 0 && tip.endsWith(QLatin1Char(')')))
        tip.truncate(open);
    tool->setToolTip(tip + why);
    tool->setStatusTip(tip + why);
    tool->setEnabled(why.isEmpty());
}

} // namespace q32
