#pragma once
// What a web gallery holds and how it looks: the value the window and q32 fill in and the
// writer takes.

#include <QString>

namespace q32 {

struct GalleryOptions {
    QString folder; // the site's folder; made, or replaced when it holds an earlier gallery
    QString title;
    int thumbnailSize = 200; // longest side of the index pictures, in pixels
    int pictureSize = 1280;  // longest side of the pictures on their own pages
    int perPage = 240;       // thumbnails on one index page
    bool descriptions = true;
    bool keywords = true;
    bool dates = true;
    bool properties = false;
    bool copyOriginals = false; // the stored files beside the pictures, with a link to each
};

} // namespace q32
