#pragma once
// The help window: the shipped HTML help in a browser of the program's own, with back, forward,
// contents and a search over every page, and the system's web browser offered as a choice.

#include "shell/HelpIndex.h"

#include <QTextBrowser>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace q32 {

class PromptService;

// Shows help pages and the search results, which live at "search:words".
class HelpText : public QTextBrowser {
    Q_OBJECT
public:
    HelpText(const HelpIndex& index, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const HelpIndex& m_index;
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const HelpIndex& index, PromptService& prompts, QWidget* parent = nullptr);

    void showPage(const QString& page);
    void search(const QString& words);
    // Opens the page shown in the system's web browser; says so when none starts.
    void openInWebBrowser();

    HelpText* text() const { return m_text; }

private:
    void followSource(const QUrl& url);

    const HelpIndex& m_index;
    PromptService& m_prompts;
    HelpText* m_text;
    QLineEdit* m_searchText;
};

} // namespace q32
