#pragma once
// Photo-like pictures made by ImageMagick (a fractal landscape of a seed, blurred as a lens
// would), and the copies a user ends up with: half size, recompressed, cropped, brighter, PNG.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace q32::test {

inline bool RunConvert(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("convert"), arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A 480x360 JPEG at path, different for every seed.
inline bool MakePhoto(const QString& path, int seed) {
    return RunConvert({QStringLiteral("-size"), QStringLiteral("480x360"), QStringLiteral("-seed"),
                       QString::number(seed), QStringLiteral("plasma:fractal"),
                       QStringLiteral("-blur"), QStringLiteral("0x1.5"), QStringLiteral("-quality"),
                       QStringLiteral("90"), path});
}

// The five copies of the photo at path, written beside it as stem-half.jpg, stem-q50.jpg,
// stem-crop.jpg, stem-bright.jpg and stem.png; their paths, or an empty list on failure.
inline QStringList MakeVariants(const QString& path) {
    const QString stem = path.left(path.lastIndexOf(QLatin1Char('.')));
    const QList<QStringList> steps = {
        {QStringLiteral("-resize"), QStringLiteral("50%"), stem + QStringLiteral("-half.jpg")},
        {QStringLiteral("-quality"), QStringLiteral("50"), stem + QStringLiteral("-q50.jpg")},
        {QStringLiteral("-gravity"), QStringLiteral("center"), QStringLiteral("-crop"),
         QStringLiteral("95%x95%+0+0"), QStringLiteral("+repage"),
         stem + QStringLiteral("-crop.jpg")},
        {QStringLiteral("-modulate"), QStringLiteral("110"), stem + QStringLiteral("-bright.jpg")},
        {stem + QStringLiteral(".png")}};
    QStringList made;
    for (const QStringList& step : steps) {
        if (!RunConvert(QStringList{path} + step))
            return {};
        made << step.last();
    }
    return made;
}

} // namespace q32::test
