#pragma once
// The text of a web gallery: escaping, file names that are safe on disk and in URLs, and the
// pages themselves. Pure functions over plain values, so every page can be checked as text.

#include "output/gallery/GalleryOptions.h"

#include <QDate>
#include <QList>
#include <QString>

namespace q32::gallery {

// Text as HTML content or attribute value: & < > " ' escaped.
QString escapeHtml(const QString& text);
// One path segment of a relative URL: everything but unreserved ASCII percent-encoded (UTF-8).
QString urlSegment(const QString& fileName);
// A stored file name made safe as one file name in the site's folders: no folders, no control
// characters, no leading dots, at most 80 characters; prefixed with the record's number so that
// no two records share a name. ext replaces the extension when given.
QString siteFileName(int number, const QString& storedName, const QString& ext = {});

// One record of the gallery as its pages show it. Paths are relative to the site's folder.
struct GalleryEntry {
    int number = 0; // 1-based position in the order
    QString fileName;
    QDate date;
    QString description;
    QString keywords;
    QString properties;
    QString picture;   // pictures/..., the picture or clip shown
    QString thumbnail; // thumbs/..., or the clip placeholder
    QString original;  // originals/..., empty when not copied
    bool clip = false;
    // Alt text: the description, else the file name.
    QString altText() const;
};

// File names of the site.
QString indexPageName(int page);    // 1-based: index.html, index-2.html, ...
QString recordPageName(int number); // pages/N.html
inline constexpr const char* kStyleSheet = "gallery.css";
inline constexpr const char* kScript = "gallery.js";
inline constexpr const char* kClipPlaceholder = "clip.png";
// Marks a folder this program wrote, which a later export may replace.
inline constexpr const char* kMarker = ".quillon-gallery";

QString styleSheet(const GalleryOptions& options);
QString script();

// Index page `page` of `pages`, holding entries.
QString indexPage(const GalleryOptions& options, const QList<GalleryEntry>& entries, int page,
                  int pages);
// The page of one record; previous/next are 0 where there is none.
QString recordPage(const GalleryOptions& options, const GalleryEntry& entry, int previous, int next,
                   int count);

} // namespace q32::gallery
