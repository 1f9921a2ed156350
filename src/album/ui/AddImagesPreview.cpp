#include "album/ui/AddImagesPreview.h"

#include "common/PreviewFit.h"
#include "common/WhenReady.h"

#include <QLabel>

namespace q32 {

AddImagesPreview::AddImagesPreview(QWidget* parent) : QFrame(parent), m_picture(new QLabel(this)) {
    setObjectName(QStringLiteral("Picture2"));
    setFrameShape(QFrame::StyledPanel);
    m_picture->setObjectName(QStringLiteral("LEAD1"));
    m_picture->setScaledContents(true);
    m_picture->hide();
}

AddImagesPreview::~AddImagesPreview() {
    ++m_generation; // a decode still running must not call back into a frame that is gone
}

void AddImagesPreview::showPicture(const QString& path) {
    m_wanted = path;
    if (!m_decoding)
        decodeNext();
}

void AddImagesPreview::hidePicture() {
    ++m_generation;
    m_wanted.clear();
    m_picture->hide();
}

void AddImagesPreview::decodeNext() {
    if (m_wanted.isEmpty())
        return;
    const QString path = m_wanted;
    m_wanted.clear();
    m_decoding = true;
    const quint64 generation = ++m_generation;
    const QSize frame = contentsRect().size();
    WhenReady(this, DecodeFittedInBackground(path, frame),
              [this, generation](const FittedPicture& fitted) {
                  decoded(generation, fitted.image, fitted.pictureSize);
              });
}

void AddImagesPreview::decoded(quint64 generation, const QImage& image, const QSize& pictureSize) {
    m_decoding = false;
    if (generation == m_generation && !image.isNull()) {
        const QRect place = PreviewPlace(pictureSize, contentsRect().size());
        m_picture->setGeometry(place.translated(contentsRect().topLeft()));
        m_picture->setPixmap(QPixmap::fromImage(image));
        m_picture->show();
        emit pictureShown();
    }
    decodeNext();
}

} // namespace q32
