#pragma once
// The program's main window in a benchmark, with scripted answers and its own settings file, and
// the wait until every thumbnail on screen is there.

#include "MainWindowRun.h"
#include "ScriptedPromptService.h"
#include "album/thumbnails/ThumbnailModel.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ThumbnailPane.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <algorithm>

namespace q32::bench {

// The process's peak resident memory so far, in KB.
inline long PeakKb() {
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

struct Window {
    ProgramState state;
    test::ScriptedPromptService prompts;
    Settings settings;
    MainWindow main;
    explicit Window(const QString& ini)
        : settings(ini, &prompts), main(state, settings, prompts, {}) {
        state.paths.AppDir = QString::fromLocal8Bit(qgetenv("QUILLON32_HOME"));
        main.resize(1100, 720);
        main.show();
        QCoreApplication::processEvents();
    }
};

inline QList<int> VisibleRows(QListView* view) {
    QList<int> rows;
    const QModelIndex first = view->indexAt(QPoint(8, 8));
    for (int row = std::max(0, first.row()); row < view->model()->rowCount(); ++row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        if (r.top() > view->viewport()->height())
            break;
        if (r.intersects(view->viewport()->rect()))
            rows << row;
    }
    return rows;
}

// Opens an album in the window and runs its event loop until the open ends. Unlike a test's
// polling wait, which sleeps between its looks, the loop returns as soon as the open reports.
inline bool OpenAlbum(AlbumBrowser& browser, const QString& path) {
    QEventLoop loop;
    std::optional<bool> opened;
    browser.openAlbum(path, [&](bool ok) {
        opened = ok;
        loop.quit();
    });
    if (!opened)
        loop.exec();
    return opened.value_or(false);
}

// Lets the window run until every thumbnail on screen is there, then paints it.
inline void WaitForScreen(ThumbnailPane& pane) {
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        const QList<int> rows = VisibleRows(pane.view());
        if (!rows.isEmpty() &&
            std::all_of(rows.begin(), rows.end(), [&](int r) { return pane.model().isReady(r); }))
            break;
    }
    pane.view()->viewport()->repaint();
}

} // namespace q32::bench
