#include "FormatSamples.h"

#include "TiffBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>

namespace q32::test {

QRgb QuarterColour(int index) {
    static const QRgb colours[4] = {qRgb(220, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 220),
                                    qRgb(230, 220, 40)};
    return colours[index & 3];
}

QImage Quarters(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, QuarterColour((y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)));
    return img;
}

bool Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool WriteTaggedJpeg(const QImage& picture, const QString& path) {
    return picture.save(path, "JPEG", 95) &&
           Run("exiftool", {"-q", "-overwrite_original", "-Orientation#=6",
                            "-DateTimeOriginal=" + kTakenAt.toString("yyyy:MM:dd HH:mm:ss"), path});
}

bool MakeSampleSet(const QImage& photo, const QString& dir) {
    const auto path = [&](const QString& name) { return dir + QLatin1Char('/') + name; };
    const QString jpeg = path("photo.jpg"), exif = path("exif.bin");
    QStringList frames;
    for (int i = 0; i < 3; ++i) {
        frames << path(QStringLiteral("frame%1.png").arg(i));
        QImage frame = photo;
        frame.fill(QuarterColour(i + 1));
        if (!(i == 0 ? photo : frame).save(frames.last(), "PNG"))
            return false;
    }
    QByteArray preview;
    QBuffer buffer(&preview);
    QFile dng(path("photo.dng"));
    // avifenc turns the picture by the container's rotation and keeps the EXIF too; heif-enc
    // keeps only the EXIF.
    return WriteTaggedJpeg(photo, jpeg) &&
           Run("sh", {"-c", "exiftool -b -exif \"$0\" > \"$1\"", jpeg, exif}) &&
           Run("heif-enc", {"-q", "90", jpeg, "-o", path("photo.heic")}) &&
           Run("avifenc", {"-s", "8", jpeg, path("photo.avif")}) &&
           Run("heif-enc", {"-A", "-q", "90", jpeg, "-o", path("exif-only.avif")}) &&
           Run("cwebp",
               {"-quiet", "-q", "90", "-metadata", "exif", jpeg, "-o", path("photo.webp")}) &&
           Run("img2webp", QStringList{"-loop", "0", "-lossless"} + frames +
                               QStringList{"-o", path("plain-anim.webp")}) &&
           Run("webpmux",
               {"-set", "exif", exif, path("plain-anim.webp"), "-o", path("anim.webp")}) &&
           Run("cjxl", {"--quiet", "--lossless_jpeg=1", jpeg, path("photo.jxl")}) &&
           photo.save(&buffer, "JPEG", 95) && dng.open(QIODevice::WriteOnly) &&
           dng.write(MakeDng(photo, preview, 6, kTakenAt)) > 0;
}

QByteArray MakeDng(const QImage& picture, const QByteArray& previewJpeg, int orientation,
                   const QDateTime& taken) {
    const int w = picture.width(), h = picture.height();
    TiffBuilder t;
    const int ifd0 = t.addDirectory();
    const int raw = t.addDirectory(false), preview = t.addDirectory(false);
    const int exif = t.addDirectory(false);

    const QImage thumb = picture.scaled(w / 4, h / 4).convertToFormat(QImage::Format_RGB888);
    QByteArray thumbRows;
    for (int y = 0; y < thumb.height(); ++y)
        thumbRows.append(reinterpret_cast<const char*>(thumb.constScanLine(y)), thumb.width() * 3);
    t.add(ifd0, 254, TiffBuilder::Long, {1});
    t.addPicture(ifd0, thumb.width(), thumb.height(), {8, 8, 8}, 1, 2, thumbRows);
    t.addAscii(ifd0, 271, "Quillon");
    t.addAscii(ifd0, 272, "Test Camera");
    t.add(ifd0, 274, TiffBuilder::Short, {orientation});
    t.link(ifd0, 330, {raw, preview});
    t.link(ifd0, 34665, {exif});
    t.add(ifd0, 50706, TiffBuilder::Byte, {1, 4, 0, 0});
    t.add(ifd0, 50707, TiffBuilder::Byte, {1, 1, 0, 0});
    t.addAscii(ifd0, 50708, "Quillon Test Camera");
    // sRGB primaries as a camera matrix, and a neutral white balance
    t.add(ifd0, 50721, TiffBuilder::SRational,
          {3240, 1000, -1537, 1000, -499, 1000, -969, 1000, 1876, 1000, 42, 1000, 56, 1000, -204,
           1000, 1057, 1000});
    t.add(ifd0, 50728, TiffBuilder::Rational, {1, 1, 1, 1, 1, 1});
    t.add(ifd0, 50778, TiffBuilder::Short, {21});

    // An RGGB mosaic at 16 bits a sample.
    QByteArray mosaic(qsizetype(w) * h * 2, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = picture.pixel(x, y);
            const int c = (y % 2) * 2 + (x % 2); // 0 R, 1 G, 2 G, 3 B
            const int v = c == 0 ? qRed(p) : c == 3 ? qBlue(p) : qGreen(p);
            const quint16 s = quint16(v * 257);
            mosaic[(qsizetype(y) * w + x) * 2] = char(s & 0xFF);
            mosaic[(qsizetype(y) * w + x) * 2 + 1] = char(s >> 8);
        }
    t.add(raw, 254, TiffBuilder::Long, {0});
    t.addPicture(raw, w, h, {16}, 1, 32803, mosaic);
    t.add(raw, 33421, TiffBuilder::Short, {2, 2});
    t.add(raw, 33422, TiffBuilder::Byte, {0, 1, 1, 2});
    t.add(raw, 50717, TiffBuilder::Long, {65535});

    t.add(preview, 254, TiffBuilder::Long, {1});
    t.addPicture(preview, w, h, {8, 8, 8}, 7, 6, previewJpeg);

    t.addAscii(exif, 36867, taken.toString("yyyy:MM:dd HH:mm:ss").toLatin1());
    return t.build();
}

} // namespace q32::test
