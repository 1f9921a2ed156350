#include "viewer/EffectsCatalogue.h"

#include "viewer/TransitionCatalogue.h"
#include "viewer/TransitionRenderer.h"

#include <QCryptographicHash>
#include <QSet>
#include <algorithm>

namespace q32 {

QImage NoisePicture(QSize size, int seed) {
    QImage image(size, QImage::Format_RGB32);
    uint32_t state = 2463534242u + uint32_t(seed) * 7919u;
    for (int y = 0; y < size.height(); ++y) {
        auto* p = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            // Seeds differ in the top bit of red, so no pixel is alike in two pictures.
            p[x] = 0xff000000u | (state & 0x7fffff) | (seed % 2 ? 0x800000u : 0u);
        }
    }
    return image;
}

QByteArray TransitionSignature(int style, QSize size, int grain) {
    const QImage from = NoisePicture(size, 1), to = NoisePicture(size, 2);
    const TransitionRenderer renderer({style, grain, 0}, size);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QImage frame;
    for (double p : {0.15, 0.35, 0.5, 0.65, 0.85}) {
        renderer.render(from, to, p, frame);
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(frame.constBits()), frame.sizeInBytes()));
    }
    return hash.result();
}

QString EffectsCatalogueText() {
    // Two styles are alike when they paint the same frames at any of these sizes (a band count
    // that divides the height can make a turned style equal to another one).
    const QSize sizes[] = {QSize(64, 36), QSize(96, 54), QSize(100, 56), QSize(160, 90)};
    QSet<QByteArray> seen;
    QString text;
    int entry = 0;
    for (const TransitionStyle& style : TransitionStyles()) {
        QList<QByteArray> signatures;
        for (const QSize size : sizes)
            signatures << TransitionSignature(style.number, size, 1) +
                              char('0' + signatures.size());
        if (std::any_of(signatures.cbegin(), signatures.cend(),
                        [&seen](const QByteArray& s) { return seen.contains(s); }))
            continue;
        for (const QByteArray& s : signatures)
            seen.insert(s);
        text += QStringLiteral("%1,%2,%3\n")
                    .arg(entry++, 4, 10, QLatin1Char('0'))
                    .arg(style.name)
                    .arg(style.number);
    }
    return text;
}

} // namespace q32
