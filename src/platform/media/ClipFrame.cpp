#include "platform/media/ClipFrame.h"

#include <QDeadlineTimer>
#include <QFile>
#include <atomic>
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <memory>
#include <mutex>

namespace q32 {
namespace {

// How often a wait looks at the stop flag.
constexpr GstClockTime kPoll = 40 * GST_MSECOND;
// Bytes handed to the demuxer per request at most.
constexpr qint64 kPiece = 1 << 20;
// A demuxer that finds no stream in a cut file may say nothing: a frame is decoded from bytes
// read as it goes, so when nothing has been read for this long, no frame will come.
constexpr qint64 kStallMs = 3000;

qint64 now() {
    return QDeadlineTimer::current().deadline();
}

struct Feed {
    std::mutex mutex; // the callbacks may come from more than one streaming thread
    const ClipReader* read = nullptr;
    qint64 size = 0;
    qint64 offset = 0;
    std::atomic<qint64> lastAsked = now();
};

void needData(GstAppSrc* src, guint length, gpointer data) {
    auto* feed = static_cast<Feed*>(data);
    std::lock_guard lock(feed->mutex);
    feed->lastAsked = now();
    const qint64 n =
        std::min({qint64(length ? length : kPiece), kPiece, feed->size - feed->offset});
    if (n <= 0) {
        gst_app_src_end_of_stream(src);
        return;
    }
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, gsize(n), nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    const qint64 got = (*feed->read)(reinterpret_cast<char*>(map.data), n, feed->offset);
    gst_buffer_unmap(buffer, &map);
    if (got <= 0) {
        gst_buffer_unref(buffer);
        gst_app_src_end_of_stream(src);
        return;
    }
    gst_buffer_set_size(buffer, gsize(got));
    GST_BUFFER_OFFSET(buffer) = guint64(feed->offset);
    feed->offset += got;
    gst_app_src_push_buffer(src, buffer);
}

gboolean seekData(GstAppSrc*, guint64 offset, gpointer data) {
    auto* feed = static_cast<Feed*>(data);
    std::lock_guard lock(feed->mutex);
    if (qint64(offset) > feed->size)
        return FALSE;
    feed->offset = qint64(offset);
    feed->lastAsked = now();
    return TRUE;
}

struct Unref {
    void operator()(GstElement* e) const {
        gst_element_set_state(e, GST_STATE_NULL);
        gst_object_unref(e);
    }
};

// Waits for the pipeline to settle after a state change or seek: false on an error, a timeout,
// a stall or a stop.
bool settle(GstElement* pipeline, const Feed& feed, const QDeadlineTimer& deadline,
            const std::atomic_bool* stop) {
    GstBus* bus = gst_element_get_bus(pipeline);
    bool ok = false;
    auto stalled = [&feed] { return now() - feed.lastAsked > kStallMs; };
    while (!deadline.hasExpired() && !(stop && *stop) && !stalled()) {
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, kPoll,
            GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
        if (!message)
            continue;
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        gst_message_unref(message);
        ok = type == GST_MESSAGE_ASYNC_DONE;
        break;
    }
    gst_object_unref(bus);
    return ok;
}

std::optional<QImage> prerolledFrame(GstElement* sink) {
    GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(sink), 0);
    if (!sample)
        return std::nullopt;
    std::optional<QImage> frame;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const QImage view(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                          GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32);
        frame = view.copy();
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return frame;
}

} // namespace

qint64 FrameMomentMs(qint64 durationMs) {
    if (durationMs >= 2000)
        return 1000;
    return durationMs > 0 ? durationMs / 2 : 0;
}

std::optional<ClipFrame> TakeClipFrame(qint64 size, const ClipReader& read, QSize box,
                                       const std::atomic_bool* stop, int timeoutMs) {
    if (size <= 0 || box.isEmpty())
        return std::nullopt;
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
    const QDeadlineTimer deadline(timeoutMs);

    // Square pixels in the byte order of QImage::Format_RGB32.
    GError* error = nullptr;
    std::unique_ptr<GstElement, Unref> pipeline(gst_parse_launch(
        "appsrc name=src stream-type=random-access ! decodebin ! videoconvert ! videoscale ! "
        "video/x-raw,format=BGRx,pixel-aspect-ratio=1/1 ! appsink name=sink sync=false",
        &error));
    g_clear_error(&error);
    if (!pipeline)
        return std::nullopt;
    GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline.get()), "src");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink");
    Feed feed;
    feed.read = &read;
    feed.size = size;
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = needData;
    callbacks.seek_data = seekData;
    gst_app_src_set_size(GST_APP_SRC(src), size);
    gst_app_src_set_callbacks(GST_APP_SRC(src), &callbacks, &feed, nullptr);

    std::optional<ClipFrame> result;
    if (gst_element_set_state(pipeline.get(), GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
        settle(pipeline.get(), feed, deadline, stop)) {
        ClipFrame frame;
        gint64 duration = -1;
        if (gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &duration) && duration > 0)
            frame.durationMs = duration / GST_MSECOND;
        const qint64 moment = FrameMomentMs(frame.durationMs);
        bool ready = moment == 0;
        if (!ready &&
            gst_element_seek_simple(pipeline.get(), GST_FORMAT_TIME,
                                    GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                    moment * GST_MSECOND))
            ready = settle(pipeline.get(), feed, deadline, stop);
        if (ready)
            if (std::optional<QImage> image = prerolledFrame(sink)) {
                frame.image =
                    image->size().boundedTo(box) == image->size()
                        ? *image
                        : image->scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                result = frame;
            }
    }
    // Stops the streaming threads before feed goes away.
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    gst_object_unref(src);
    gst_object_unref(sink);
    return result;
}

std::optional<ClipFrame> TakeClipFrame(const QString& path, QSize box, const std::atomic_bool* stop,
                                       int timeoutMs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const ClipReader read = [&](char* data, qint64 length, qint64 offset) -> qint64 {
        return file.seek(offset) ? file.read(data, length) : -1;
    };
    return TakeClipFrame(file.size(), read, box, stop, timeoutMs);
}

QString ClipLengthText(qint64 durationMs) {
    const qint64 seconds = std::max<qint64>(0, (durationMs + 500) / 1000);
    if (seconds < 3600)
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace q32
