#include "output/gallery/GalleryHtml.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace q32::gallery {

QString escapeHtml(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString urlSegment(const QString& fileName) {
    return QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

QString siteFileName(int number, const QString& storedName, const QString& ext) {
    QString name = storedName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    QString clean;
    for (const QChar c : name)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f && c.category() != QChar::Other_Format)
            clean += c;
    while (clean.startsWith(QLatin1Char('.')) || clean.startsWith(QLatin1Char(' ')))
        clean.remove(0, 1);
    QString base = clean, oldExt;
    if (const qsizetype dot = clean.lastIndexOf(QLatin1Char('.')); dot > 0) {
        base = clean.left(dot);
        oldExt = clean.mid(dot + 1);
    }
    QString newExt = ext.isEmpty() ? oldExt : ext;
    // A stored extension that is not a plain word is dropped rather than trusted.
    if (!std::all_of(newExt.begin(), newExt.end(),
                     [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }))
        newExt.clear();
    base = base.trimmed().left(80);
    if (base.isEmpty())
        base = QStringLiteral("record");
    return QStringLiteral("%1-%2").arg(number).arg(base) +
           (newExt.isEmpty() ? QString() : QLatin1Char('.') + newExt.toLower());
}

QString GalleryEntry::altText() const {
    const QString text = description.simplified();
    return text.isEmpty() ? fileName : text;
}

QString indexPageName(int page) {
    return page <= 1 ? QStringLiteral("index.html") : QStringLiteral("index-%1.html").arg(page);
}

QString recordPageName(int number) {
    return QStringLiteral("pages/%1.html").arg(number);
}

// A relative path of the site as a URL, each segment encoded.
static QString url(const QString& path) {
    QStringList parts = path.split(QLatin1Char('/'));
    for (QString& p : parts)
        p = urlSegment(p);
    return parts.join(QLatin1Char('/'));
}

static QString head(const QString& title, const QString& up) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
               "<title>%1</title>\n<link rel=\"stylesheet\" href=\"%2%3\">\n"
               "<script src=\"%2%4\" defer></script>\n</head>\n")
        .arg(escapeHtml(title), up, QLatin1String(kStyleSheet), QLatin1String(kScript));
}

QString styleSheet(const GalleryOptions& options) {
    return QStringLiteral(
               "body { margin: 0; padding: 1rem; font-family: sans-serif; background: #1e1e1e; "
               "color: #eee; }\n"
               "a { color: #9cf; }\n"
               "a:focus-visible, video:focus-visible { outline: 3px solid #fc3; outline-offset: "
               "3px; }\n"
               "h1 { font-size: 1.4rem; margin: 0 0 1rem; }\n"
               ".grid { display: grid; gap: 0.6rem; grid-template-columns: repeat(auto-fill, "
               "minmax(min(%1px, 100%), 1fr)); }\n"
               ".grid a { display: flex; align-items: center; justify-content: center; height: "
               "%1px; background: #2a2a2a; }\n"
               ".grid img { max-width: 100%; max-height: %1px; }\n"
               "nav { display: flex; gap: 1rem; margin: 1rem 0; flex-wrap: wrap; }\n"
               "figure { margin: 0; text-align: center; }\n"
               "figure img, figure video { max-width: 100%; max-height: 80vh; height: auto; }\n"
               ".text { white-space: pre-wrap; }\n"
               "dl { display: grid; grid-template-columns: max-content 1fr; gap: 0.3rem 1rem; }\n"
               "dt { color: #aaa; }\n dd { margin: 0; white-space: pre-wrap; }\n")
        .arg(options.thumbnailSize);
}

QString script() {
    // Left and Right follow the page's previous and next links, Escape its way up.
    return QStringLiteral(
        "document.addEventListener('keydown', function (e) {\n"
        "  if (e.altKey || e.ctrlKey || e.metaKey || e.shiftKey) return;\n"
        "  var id = { ArrowLeft: 'prev', ArrowRight: 'next', Escape: 'up' }[e.key];\n"
        "  var link = id && document.getElementById(id);\n"
        "  if (link) { e.preventDefault(); window.location.href = link.href; }\n"
        "});\n"
        "document.addEventListener('DOMContentLoaded', function () {\n"
        "  var target = window.location.hash && "
        "document.getElementById(window.location.hash.slice(1));\n"
        "  if (target) target.focus();\n"
        "});\n");
}

static QString pager(const QString& prevHref, const QString& nextHref, const QString& upHref,
                     const QString& where) {
    QString nav = QStringLiteral("<nav>");
    if (!prevHref.isEmpty())
        nav += QStringLiteral("<a id=\"prev\" rel=\"prev\" href=\"%1\">&larr; Previous</a>")
                   .arg(prevHref);
    if (!upHref.isEmpty())
        nav += QStringLiteral("<a id=\"up\" href=\"%1\">Index</a>").arg(upHref);
    nav += QStringLiteral("<span>%1</span>").arg(where);
    if (!nextHref.isEmpty())
        nav +=
            QStringLiteral("<a id=\"next\" rel=\"next\" href=\"%1\">Next &rarr;</a>").arg(nextHref);
    return nav + QStringLiteral("</nav>\n");
}

QString indexPage(const GalleryOptions& options, const QList<GalleryEntry>& entries, int page,
                  int pages) {
    QString html = head(options.title, QString());
    html += QStringLiteral("<body>\n<h1>%1</h1>\n").arg(escapeHtml(options.title));
    const QString nav = pages > 1
                            ? pager(page > 1 ? indexPageName(page - 1) : QString(),
                                    page < pages ? indexPageName(page + 1) : QString(), QString(),
                                    QStringLiteral("Page %1 of %2").arg(page).arg(pages))
                            : QString();
    html += nav + QStringLiteral("<main class=\"grid\">\n");
    for (const GalleryEntry& e : entries)
        html += QStringLiteral("<a id=\"r%1\" href=\"%2\"><img src=\"%3\" alt=\"%4\"></a>\n")
                    .arg(e.number)
                    .arg(url(recordPageName(e.number)), url(e.thumbnail), escapeHtml(e.altText()));
    // The second pager repeats the links without their ids, which the keys follow.
    QString bottom = nav;
    bottom.remove(QRegularExpression(QStringLiteral(" id=\"(prev|next|up)\"")));
    return html + QStringLiteral("</main>\n") + bottom + QStringLiteral("</body>\n</html>\n");
}

QString recordPage(const GalleryOptions& options, const GalleryEntry& entry, int previous, int next,
                   int count) {
    const int page = (entry.number - 1) / qMax(1, options.perPage) + 1;
    const QString up = QStringLiteral("../%1#r%2").arg(indexPageName(page)).arg(entry.number);
    QString html =
        head(entry.fileName + QStringLiteral(" - ") + options.title, QStringLiteral("../"));
    html += QStringLiteral("<body>\n");
    const QString nav = pager(previous ? QFileInfo(recordPageName(previous)).fileName() : QString(),
                              next ? QFileInfo(recordPageName(next)).fileName() : QString(), up,
                              QStringLiteral("%1 of %2").arg(entry.number).arg(count));
    html += nav + QStringLiteral("<main>\n<figure>\n");
    const QString src = QStringLiteral("../") + url(entry.picture);
    if (entry.clip) {
        html += QStringLiteral("<video controls preload=\"metadata\" src=\"%1\" poster=\"../%2\" "
                               "aria-label=\"%3\"></video>\n"
                               "<p><a href=\"%1\" download>Download the clip</a></p>\n")
                    .arg(src, url(entry.thumbnail), escapeHtml(entry.altText()));
    } else {
        html +=
            QStringLiteral("<img src=\"%1\" alt=\"%2\">\n").arg(src, escapeHtml(entry.altText()));
    }
    html +=
        QStringLiteral("<figcaption>%1</figcaption>\n</figure>\n").arg(escapeHtml(entry.fileName));
    if (options.descriptions && !entry.description.isEmpty())
        html += QStringLiteral("<p class=\"text\" id=\"description\">%1</p>\n")
                    .arg(escapeHtml(entry.description));
    QString facts;
    const auto fact = [&facts](const char* name, const QString& value) {
        if (!value.isEmpty())
            facts += QStringLiteral("<dt>%1</dt><dd>%2</dd>\n")
                         .arg(QLatin1String(name), escapeHtml(value));
    };
    if (options.keywords)
        fact("Keywords", entry.keywords);
    if (options.dates && entry.date.isValid())
        fact("Date", entry.date.toString(Qt::ISODate));
    if (options.properties)
        fact("Properties", entry.properties);
    if (!entry.original.isEmpty())
        facts += QStringLiteral("<dt>Original</dt><dd><a href=\"../%1\" download>%2</a></dd>\n")
                     .arg(url(entry.original), escapeHtml(entry.fileName));
    if (!facts.isEmpty())
        html += QStringLiteral("<dl>\n") + facts + QStringLiteral("</dl>\n");
    return html + QStringLiteral("</main>\n</body>\n</html>\n");
}

} // namespace q32::gallery
