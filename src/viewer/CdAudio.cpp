#include "viewer/CdAudio.h"

#include <gst/gst.h>

namespace q32 {

CdAudio::CdAudio(QObject* parent) : QObject(parent) {
    gst_init(nullptr, nullptr);
    m_device = qEnvironmentVariable("QUILLON_CD_DEVICE", QStringLiteral("/dev/cdrom"));
    m_sink = qEnvironmentVariable("QUILLON_AUDIO_SINK", QStringLiteral("autoaudiosink"));
    // The bus is read on the interface thread, so no GLib main loop is needed.
    m_bus.setInterval(50);
    connect(&m_bus, &QTimer::timeout, this, &CdAudio::pollBus);
}

CdAudio::~CdAudio() {
    teardown();
}

void CdAudio::setState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

bool CdAudio::build(int track) {
    teardown();
    const QString description = QStringLiteral("cdiocddasrc name=src ! audioconvert ! "
                                               "audioresample ! %1")
                                    .arg(m_sink);
    GError* error = nullptr;
    m_pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error) {
        m_error = QString::fromUtf8(error->message);
        g_error_free(error);
        teardown();
        return false;
    }
    GstElement* src = gst_bin_get_by_name(GST_BIN(m_pipeline), "src");
    g_object_set(src, "device", m_device.toUtf8().constData(), "track", guint(track), nullptr);
    gst_object_unref(src);
    m_bus.start();
    return true;
}

void CdAudio::teardown() {
    m_bus.stop();
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
    }
}

bool CdAudio::noDisc(const QString& error) {
    if (m_error.isEmpty())
        m_error = error;
    teardown();
    m_tracks = 0;
    setState(State::NoDisc);
    return false;
}

bool CdAudio::open() {
    m_error.clear();
    m_tracks = 0;
    if (!build(1))
        return noDisc({});
    // Pausing reads the table of contents; a drive without a disc fails here.
    const GstStateChangeReturn r = gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    GstState now = GST_STATE_NULL;
    if (r == GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(m_pipeline, &now, nullptr, 5 * GST_SECOND) ==
            GST_STATE_CHANGE_FAILURE) {
        pollBus();
        return noDisc(QStringLiteral("No audio CD in %1").arg(m_device));
    }
    GstElement* src = gst_bin_get_by_name(GST_BIN(m_pipeline), "src");
    gint64 tracks = 0;
    gst_element_query_duration(src, gst_format_get_by_nick("track"), &tracks);
    gst_object_unref(src);
    if (tracks <= 0)
        return noDisc(QStringLiteral("No audio tracks on the disc in %1").arg(m_device));
    m_tracks = int(tracks);
    m_track = 1;
    teardown();
    setState(State::Stopped);
    emit trackChanged(m_track);
    return true;
}

void CdAudio::close() {
    teardown();
    m_tracks = 0;
    setState(State::Closed);
}

bool CdAudio::play(int track) {
    if ((m_state == State::Closed || m_state == State::NoDisc) && !open())
        return false;
    if (track == 0 && m_state == State::Paused && m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
        setState(State::Playing);
        return true;
    }
    if (track >= 1 && track <= m_tracks && track != m_track) {
        m_track = track;
        emit trackChanged(m_track);
    }
    if (!build(m_track))
        return false;
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        pollBus();
        teardown();
        return false;
    }
    setState(State::Playing);
    return true;
}

void CdAudio::pause() {
    if (m_state != State::Playing || !m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    setState(State::Paused);
}

void CdAudio::stop() {
    if (m_state == State::Closed || m_state == State::NoDisc)
        return;
    teardown();
    setState(State::Stopped);
}

void CdAudio::next() {
    if (m_tracks == 0)
        return;
    const int track = m_track >= m_tracks ? 1 : m_track + 1;
    if (m_state == State::Playing) {
        play(track);
    } else {
        m_track = track;
        emit trackChanged(m_track);
    }
}

void CdAudio::previous() {
    if (m_tracks == 0)
        return;
    const int track = m_track <= 1 ? m_tracks : m_track - 1;
    if (m_state == State::Playing) {
        play(track);
    } else {
        m_track = track;
        emit trackChanged(m_track);
    }
}

void CdAudio::pollBus() {
    if (!m_pipeline)
        return;
    GstBus* bus = gst_element_get_bus(m_pipeline);
    while (GstMessage* message = gst_bus_pop(bus)) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            m_error = QString::fromUtf8(error ? error->message : "CD error");
            g_clear_error(&error);
            gst_message_unref(message);
            gst_object_unref(bus);
            teardown();
            setState(m_tracks > 0 ? State::Stopped : State::NoDisc);
            emit failed(m_error);
            return;
        }
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            gst_message_unref(message);
            gst_object_unref(bus);
            const int ended = m_track;
            emit trackEnded(ended);
            if (ended < m_tracks) {
                play(ended + 1);
            } else {
                teardown();
                setState(State::Stopped);
            }
            return;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

} // namespace q32
