#pragma once
// The Add Images window's preview (LEAD1 in its frame Picture2): the picture fitted the way the
// main window fits its preview, decoded off the interface thread. Only one decode runs at a
// time and the newest request wins, so a fast add run never queues up pictures.

#include <QFrame>

class QLabel;

namespace q32 {

class AddImagesPreview : public QFrame {
    Q_OBJECT
public:
    explicit AddImagesPreview(QWidget* parent = nullptr);
    ~AddImagesPreview() override;

    void showPicture(const QString& path);
    void hidePicture();
    QLabel* picture() const { return m_picture; }
    bool idle() const { return !m_decoding && m_wanted.isEmpty(); }

signals:
    void pictureShown();

private:
    void decodeNext();
    void decoded(quint64 generation, const QImage& image, const QSize& pictureSize);

    QLabel* m_picture;
    QString m_wanted; // the picture asked for while another was decoding
    quint64 m_generation = 0;
    bool m_decoding = false;
};

} // namespace q32
