#include "shell/ui/HelpService.h"

#include "platform/prompt/PromptService.h"
#include "shell/ui/HelpWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace q32 {

HelpService::HelpService(PromptService& prompts, QWidget* main, QString folder)
    : QObject(main), m_prompts(prompts), m_main(main), m_index(std::move(folder)) {
    qApp->installEventFilter(this);
}

HelpService::~HelpService() {
    delete m_window;
}

QString HelpService::pageFor(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const QString page = widget->property("helpPage").toString();
        if (!page.isEmpty())
            return page;
    }
    return QStringLiteral("index.html");
}

QWidget* HelpService::widgetInFront() {
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void HelpService::showPage(const QString& page) {
    if (!m_index.hasPage(QStringLiteral("index.html"))) {
        m_prompts.msgBox(QStringLiteral("The help pages are missing from ") + m_index.folder() +
                             QStringLiteral(".\nReinstalling Quillon 32 puts them back."),
                         MsgIcon::Exclamation, QStringLiteral("HELP"));
        return;
    }
    // A window shown while a modal one waits would take no clicks: the help window goes above
    // the modal one.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == m_window)
        owner = m_window ? m_window->parentWidget() : m_main.data();
    if (!m_window)
        m_window = new HelpWindow(m_index, m_prompts, owner);
    else if (m_window->parentWidget() != owner)
        m_window->setParent(owner, Qt::Window);
    m_window->showPage(m_index.hasPage(page) ? page : QStringLiteral("index.html"));
    m_window->show();
    // After the command that asked for it: the main window raises itself when a command ends.
    QTimer::singleShot(0, m_window, [window = m_window] {
        window->raise();
        window->activateWindow();
    });
}

bool HelpService::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    // F1 is the help key of every window: no menu shortcut takes it.
    event->accept();
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        // A key reaches the window system's window first, then the widget with the focus.
        auto* widget = qobject_cast<QWidget*>(watched);
        showPage(pageFor(widget ? widget : widgetInFront()));
    }
    return true;
}

} // namespace q32
