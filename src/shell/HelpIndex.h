#pragma once
// The shipped HTML help as a set of pages: their titles and words, and a search over them. No
// widgets.

#include <QList>
#include <QString>
#include <QUrl>

namespace q32 {

class HelpIndex {
public:
    struct Page {
        QString file; // relative to the folder, "about.html"
        QString title;
        QString text; // the words a reader sees
    };
    struct Hit {
        QString file;
        QString title;
        QString excerpt; // the words around the first match
    };

    // The help folder of this installation.
    static QString defaultFolder();

    explicit HelpIndex(QString folder);
    const QString& folder() const { return m_folder; }
    // "page.html" or "page.html#part" in the folder; the contents for an empty page.
    QUrl urlOf(const QString& page) const;
    bool hasPage(const QString& page) const;

    // Every page of the folder, read on first use.
    const QList<Page>& pages() const;
    // Pages holding every word of words (any case), the one holding them most often first.
    QList<Hit> search(const QString& words) const;
    // The hits as a page of the help.
    QString resultsHtml(const QString& words) const;

private:
    QString m_folder;
    mutable QList<Page> m_pages;
    mutable bool m_loaded = false;
};

} // namespace q32
