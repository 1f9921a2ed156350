#include "shell/HelpIndex.h"

#include "common/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>

namespace q32 {

QString HelpIndex::defaultFolder() {
    return ShareDir() + QStringLiteral("/help");
}

HelpIndex::HelpIndex(QString folder) : m_folder(QDir::cleanPath(std::move(folder))) {}

QUrl HelpIndex::urlOf(const QString& page) const {
    const QString name = page.isEmpty() ? QStringLiteral("index.html") : page;
    const qsizetype hash = name.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(m_folder + QLatin1Char('/') + name.left(hash));
    if (hash >= 0)
        url.setFragment(name.mid(hash + 1));
    return url;
}

bool HelpIndex::hasPage(const QString& page) const {
    return QFileInfo(urlOf(page).toLocalFile()).isFile();
}

const QList<HelpIndex::Page>& HelpIndex::pages() const {
    if (m_loaded)
        return m_pages;
    m_loaded = true;
    const QStringList files =
        QDir(m_folder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        QFile f(m_folder + QLatin1Char('/') + file);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        // The line of links back to the contents is on every page: not worth finding.
        static const QRegularExpression nav(QStringLiteral("<p class=\"nav\">.*?</p>"),
                                            QRegularExpression::DotMatchesEverythingOption);
        QTextDocument document;
        document.setHtml(QString::fromUtf8(f.readAll()).remove(nav));
        Page page;
        page.file = file;
        page.title = document.metaInformation(QTextDocument::DocumentTitle);
        page.text = document.toPlainText().simplified();
        m_pages << page;
    }
    return m_pages;
}

QList<HelpIndex::Hit> HelpIndex::search(const QString& words) const {
    const QStringList wanted = words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<std::pair<qsizetype, Hit>> found;
    if (wanted.isEmpty())
        return {};
    for (const Page& page : pages()) {
        qsizetype matches = 0;
        qsizetype first = -1;
        bool all = true;
        for (const QString& word : wanted) {
            const qsizetype at = page.text.indexOf(word, 0, Qt::CaseInsensitive);
            if (at < 0) {
                all = false;
                break;
            }
            if (first < 0 || at < first)
                first = at;
            matches += page.text.count(word, Qt::CaseInsensitive);
        }
        if (!all)
            continue;
        // The excerpt starts at a word.
        qsizetype from = std::max<qsizetype>(0, first - 60);
        while (from > 0 && !page.text.at(from - 1).isSpace())
            ++from;
        QString excerpt = page.text.mid(from, 160);
        if (from > 0)
            excerpt.prepend(QStringLiteral("... "));
        if (from + 160 < page.text.size())
            excerpt += QStringLiteral(" ...");
        found.append({matches, Hit{page.file, page.title, excerpt}});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<Hit> hits;
    for (const auto& f : found)
        hits << f.second;
    return hits;
}

QString HelpIndex::resultsHtml(const QString& words) const {
    const QList<Hit> hits = search(words);
    QString html = QStringLiteral("<html><head><title>Search: %1</title>"
                                  "<link rel=\"stylesheet\" type=\"text/css\" href=\"%2\">"
                                  "</head><body><h1>Search: %1</h1>")
                       .arg(words.toHtmlEscaped(), urlOf(QStringLiteral("help.css")).toString());
    if (hits.isEmpty())
        html += QStringLiteral("<p>No page of the help holds all of these words. Try fewer "
                               "words, or <a href=\"%1\">the contents</a>.</p>")
                    .arg(urlOf({}).toString());
    else
        html += QStringLiteral("<p>%1 page%2 found.</p>")
                    .arg(hits.size())
                    .arg(hits.size() == 1 ? QString() : QStringLiteral("s"));
    for (const Hit& hit : hits)
        html += QStringLiteral("<p><a href=\"%1\"><b>%2</b></a><br>%3</p>")
                    .arg(urlOf(hit.file).toString(), hit.title.toHtmlEscaped(),
                         hit.excerpt.toHtmlEscaped());
    return html + QStringLiteral("</body></html>");
}

} // namespace q32
