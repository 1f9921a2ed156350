#pragma once
// Clips made by ffmpeg whose colour changes at known moments, so a test can tell which moment a
// frame came from (compared with TestImages.h).

#include "TestImages.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace q32::test {

inline bool Ffmpeg(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("ffmpeg"),
                             QStringList{"-v", "error", "-y"} + arguments) == 0;
}

// An H.264 clip of 320 x 240 with a tone under it: segments of an ffmpeg source ("color=c=red",
// "smptebars") each that many seconds long, one after the other.
inline bool MakeClip(const QString& file, const QList<QPair<QString, double>>& segments) {
    QStringList args;
    QString graph;
    double total = 0;
    for (int i = 0; i < segments.size(); ++i) {
        const QString& source = segments[i].first;
        args << "-f"
             << "lavfi"
             << "-i"
             << QStringLiteral("%1%2s=320x240:r=25:d=%3")
                    .arg(source, source.contains('=') ? ":" : "=")
                    .arg(segments[i].second);
        graph += QStringLiteral("[%1:v]").arg(i);
        total += segments[i].second;
    }
    args << "-f"
         << "lavfi"
         << "-i" << QStringLiteral("sine=d=%1").arg(total);
    graph += QStringLiteral("concat=n=%1:v=1[v]").arg(segments.size());
    return Ffmpeg(args + QStringList{"-filter_complex", graph, "-map", "[v]", "-map",
                                     QStringLiteral("%1:a").arg(segments.size()), "-c:v", "libx264",
                                     "-pix_fmt", "yuv420p", "-c:a", "aac", file});
}

// The frame ffmpeg itself takes at seconds, scaled to size.
inline QImage FfmpegFrame(const QString& clip, double seconds, QSize size, const QString& png) {
    if (!Ffmpeg({"-ss", QString::number(seconds), "-i", clip, "-frames:v", "1", "-vf",
                 QStringLiteral("scale=%1:%2").arg(size.width()).arg(size.height()), png}))
        return {};
    return QImage(png);
}

} // namespace q32::test
