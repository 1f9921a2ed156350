#pragma once
// Help for every window: "ID_Contents" opens the contents, and F1 anywhere opens the page of the
// window in front. A window names its page with the property "helpPage" ("about.html", or
// "page.html#part"); a widget without one shows the page of the nearest parent that has one.

#include "shell/HelpIndex.h"
#include "shell/ui/HelpWindow.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace q32 {

class PromptService;

class HelpService : public QObject {
    Q_OBJECT
public:
    // Installs the F1 key for the whole program; main is the help window's usual parent.
    HelpService(PromptService& prompts, QWidget* main, QString folder = HelpIndex::defaultFolder());
    ~HelpService() override;

    // Shows page in the help window, above the window in front.
    void showPage(const QString& page);
    void showContents() { showPage(QStringLiteral("index.html")); }

    // The nearest "helpPage" from widget up its parents; the contents when none names one.
    static QString pageFor(const QWidget* widget);
    // The widget F1 speaks for: the one with the focus, else the window in front.
    static QWidget* widgetInFront();

    const HelpIndex& index() const { return m_index; }
    HelpWindow* window() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PromptService& m_prompts;
    QPointer<QWidget> m_main;
    HelpIndex m_index;
    QPointer<HelpWindow> m_window;
};

} // namespace q32
