#include "shell/ui/HelpWindow.h"

#include "platform/prompt/PromptService.h"
#include "shell/ui/CommandBar.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace q32 {
namespace {

const QString kSearchScheme = QStringLiteral("search");

QToolButton* toolButton(const QString& name, const QString& text, const QString& icon,
                        const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(CommandBar::iconFor(icon, text));
    b->setToolTip(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
}

} // namespace

HelpText::HelpText(const HelpIndex& index, QWidget* parent) : QTextBrowser(parent), m_index(index) {
    setObjectName(QStringLiteral("HelpText"));
    setOpenExternalLinks(true);
    setSearchPaths({m_index.folder()});
}

QVariant HelpText::loadResource(int type, const QUrl& name) {
    if (name.scheme() == kSearchScheme)
        return m_index.resultsHtml(name.path());
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(const HelpIndex& index, PromptService& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_index(index), m_prompts(prompts),
      m_text(new HelpText(index, this)), m_searchText(new QLineEdit(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillon 32 Help"));
    setProperty("helpPage", QStringLiteral("help.html"));
    resize(820, 640);

    auto* back = toolButton(QStringLiteral("HelpBack"), QStringLiteral("&Back"),
                            QStringLiteral("go-previous-symbolic"),
                            QStringLiteral("The page shown before"), this);
    auto* forward = toolButton(QStringLiteral("HelpForward"), QStringLiteral("&Forward"),
                               QStringLiteral("go-next-symbolic"),
                               QStringLiteral("The page shown after"), this);
    auto* contents = toolButton(QStringLiteral("HelpContents"), QStringLiteral("&Contents"),
                                QStringLiteral("go-home-symbolic"),
                                QStringLiteral("The list of every help page"), this);
    auto* find = toolButton(QStringLiteral("HelpSearch"), QStringLiteral("&Search"),
                            QStringLiteral("edit-find-symbolic"),
                            QStringLiteral("Pages holding every word typed"), this);
    auto* browser =
        toolButton(QStringLiteral("HelpOpenInBrowser"), QStringLiteral("Open in &Web Browser"),
                   QStringLiteral("web-browser-symbolic"),
                   QStringLiteral("Show this page in the system's web browser"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    m_searchText->setObjectName(QStringLiteral("HelpSearchText"));
    m_searchText->setPlaceholderText(QStringLiteral("Search the help"));
    m_searchText->setClearButtonEnabled(true);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addSpacing(12);
    bar->addWidget(m_searchText, 1);
    bar->addWidget(find);
    bar->addSpacing(12);
    bar->addWidget(browser);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(bar);
    layout->addWidget(m_text, 1);

    connect(back, &QToolButton::clicked, m_text, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_text, &QTextBrowser::forward);
    connect(m_text, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_text, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(contents, &QToolButton::clicked, this, [this] { showPage({}); });
    connect(find, &QToolButton::clicked, this, [this] { search(m_searchText->text()); });
    connect(m_searchText, &QLineEdit::returnPressed, this,
            [this] { search(m_searchText->text()); });
    connect(browser, &QToolButton::clicked, this, &HelpWindow::openInWebBrowser);
    connect(m_text, &QTextBrowser::sourceChanged, this, &HelpWindow::followSource);
}

void HelpWindow::showPage(const QString& page) {
    m_text->setSource(m_index.urlOf(page));
}

void HelpWindow::search(const QString& words) {
    if (words.trimmed().isEmpty())
        return;
    QUrl url;
    url.setScheme(kSearchScheme);
    url.setPath(words.simplified());
    m_text->setSource(url);
}

void HelpWindow::followSource(const QUrl&) {
    const QString title = m_text->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Quillon 32 Help")
                                   : title + QStringLiteral(" - Quillon 32 Help"));
}

void HelpWindow::openInWebBrowser() {
    QUrl url = m_text->source();
    if (url.scheme() == kSearchScheme || url.isEmpty())
        url = m_index.urlOf({});
    if (QDesktopServices::openUrl(url))
        return;
    m_prompts.msgBox(QStringLiteral("No web browser could be started for ") + url.toString() +
                         QStringLiteral(".\nThe help stays open in this window."),
                     MsgIcon::Exclamation, QStringLiteral("HELP"));
}

} // namespace q32
