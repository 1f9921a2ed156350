#include "shell/ui/MaintenanceCommands.h"

#include "shell/AlbumBrowser.h"
#include "shell/CommandDispatcher.h"
#include "shell/MaintenanceFlow.h"

#include <QPointer>
#include <QProgressDialog>

namespace q32 {

MaintenanceFlow* AddMaintenanceCommands(CommandDispatcher& commands, AlbumBrowser& browser,
                                        std::function<void()> releaseHandles, QWidget& main,
                                        Settings& settings, PromptService& prompts) {
    auto* flow = new MaintenanceFlow(browser.albumState(), settings, prompts, browser, &main);
    flow->setReleaseHandles(std::move(releaseHandles));
    QObject::connect(flow, &MaintenanceFlow::titleChanged, &main, &QWidget::setWindowTitle);

    // Shown only when the work lasts: a small album is done before the dialog would appear.
    auto dialog = std::make_shared<QPointer<QProgressDialog>>();
    QObject::connect(
        flow, &MaintenanceFlow::workStarted, &main, [&main, flow, dialog](const QString& what) {
            auto* d = new QProgressDialog(what, QStringLiteral("Cancel"), 0, 100, &main);
            d->setObjectName(QStringLiteral("MaintenanceProgress"));
            d->setWindowTitle(QStringLiteral("Quillon 32"));
            d->setWindowModality(Qt::WindowModal);
            d->setAutoClose(false);
            d->setAutoReset(false);
            d->setMinimumDuration(400);
            d->setValue(0);
            QObject::connect(d, &QProgressDialog::canceled, flow, &MaintenanceFlow::cancel);
            *dialog = d;
        });
    QObject::connect(flow, &MaintenanceFlow::progressChanged, &main, [dialog](int percent) {
        if (!*dialog)
            return;
        // While the engine cannot tell how far it is, the bar only shows that it works.
        (*dialog)->setMaximum(percent < 0 ? 0 : 100);
        (*dialog)->setValue(std::max(percent, 0));
    });
    QObject::connect(flow, &MaintenanceFlow::workFinished, &main, [dialog] {
        // Gone at once, with the timer that shows it late: hidden or left to a deferred delete
        // (which the report's own event loop does not run), it still came up over the report.
        delete dialog->data();
    });

    commands.add(QStringLiteral("ID_CompactDatabase"), [flow] { flow->compactAlbum(); });
    commands.add(QStringLiteral("ID_RepairDatabase"), [flow] { flow->repairAlbum(); });
    return flow;
}

} // namespace q32
