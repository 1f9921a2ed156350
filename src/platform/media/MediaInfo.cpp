#include "platform/media/MediaInfo.h"

#include "platform/imaging/FormatSniffer.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <mutex>

namespace q32 {

int ClipFormatCode(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return imaging::SniffClip(file.read(imaging::kSniffBytes));
}

ImagingCondition ReadMediaInfo(const QString& path, MediaInfo& info, int timeoutMs) {
    info = MediaInfo{};
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        return ImagingCondition::FileNotFound;
    if (fi.size() == 0)
        return ImagingCondition::EmptyFile;
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });

    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(GstClockTime(timeoutMs) * GST_MSECOND, &error);
    if (!discoverer) {
        g_clear_error(&error);
        return ImagingCondition::Failure;
    }
    const QByteArray uri = QUrl::fromLocalFile(fi.absoluteFilePath()).toEncoded();
    GstDiscovererInfo* result = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    g_clear_error(&error);
    ImagingCondition condition = ImagingCondition::None;
    if (!result) {
        condition = ImagingCondition::UnrecognisedFormat;
    } else {
        switch (gst_discoverer_info_get_result(result)) {
        case GST_DISCOVERER_OK:
            break;
        case GST_DISCOVERER_TIMEOUT:
            condition = ImagingCondition::MediaTimeout;
            break;
        default:
            condition = ImagingCondition::UnrecognisedFormat;
            break;
        }
        info.durationMs = qint64(gst_discoverer_info_get_duration(result) / GST_MSECOND);
        GList* videos = gst_discoverer_info_get_video_streams(result);
        if (videos) {
            auto* video = GST_DISCOVERER_VIDEO_INFO(videos->data);
            info.hasVideo = true;
            info.width = int(gst_discoverer_video_info_get_width(video));
            info.height = int(gst_discoverer_video_info_get_height(video));
        }
        gst_discoverer_stream_info_list_free(videos);
        GList* audios = gst_discoverer_info_get_audio_streams(result);
        info.hasAudio = audios != nullptr;
        gst_discoverer_stream_info_list_free(audios);
        if (condition == ImagingCondition::None && !info.hasVideo && !info.hasAudio)
            condition = ImagingCondition::UnrecognisedFormat;
        g_object_unref(result);
    }
    g_object_unref(discoverer);
    return condition;
}

} // namespace q32
