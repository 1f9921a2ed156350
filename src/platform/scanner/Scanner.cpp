#include "platform/scanner/Scanner.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sane/sane.h>
#include <sane/saneopts.h>
#include <vector>

namespace q32 {
namespace {

// Below this a default resolution is taken for a backend's mistake (SANE 1.2's test device
// reports 50 dpi in the wrong unit and scans a single pixel).
constexpr int kLowestUsableDpi = 25;
constexpr int kFallbackDpi = 100;

class Device {
public:
    explicit Device(const QString& name) {
        m_status = sane_open(name.toLocal8Bit().constData(), &m_handle);
        if (m_status != SANE_STATUS_GOOD)
            m_handle = nullptr;
    }
    ~Device() {
        if (m_handle)
            sane_close(m_handle);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    SANE_Handle handle() const { return m_handle; }
    SANE_Status status() const { return m_status; }

    // The index of a settable option, or -1.
    int find(const char* name, const SANE_Option_Descriptor** found) const {
        SANE_Int count = 0;
        if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) !=
            SANE_STATUS_GOOD)
            return -1;
        for (SANE_Int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
            if (d && d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
                SANE_OPTION_IS_SETTABLE(d->cap)) {
                *found = d;
                return i;
            }
        }
        return -1;
    }
    bool setString(const char* name, const QString& value) {
        const SANE_Option_Descriptor* d = nullptr;
        const int i = find(name, &d);
        if (i < 0 || d->type != SANE_TYPE_STRING)
            return false;
        QByteArray text = value.toLocal8Bit();
        text.resize(std::max<qsizetype>(text.size() + 1, d->size), '\0');
        return sane_control_option(m_handle, i, SANE_ACTION_SET_VALUE, text.data(), nullptr) ==
               SANE_STATUS_GOOD;
    }
    // Resolutions are words or fixed-point numbers, depending on the backend.
    int number(const char* name) const {
        const SANE_Option_Descriptor* d = nullptr;
        const int i = find(name, &d);
        SANE_Word w = 0;
        if (i < 0 || d->size != sizeof(SANE_Word) ||
            sane_control_option(m_handle, i, SANE_ACTION_GET_VALUE, &w, nullptr) !=
                SANE_STATUS_GOOD)
            return 0;
        return d->type == SANE_TYPE_FIXED ? int(SANE_UNFIX(w) + 0.5) : int(w);
    }
    bool setNumber(const char* name, int value) {
        const SANE_Option_Descriptor* d = nullptr;
        const int i = find(name, &d);
        if (i < 0 || d->size != sizeof(SANE_Word))
            return false;
        SANE_Word w = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : value;
        return sane_control_option(m_handle, i, SANE_ACTION_SET_VALUE, &w, nullptr) ==
               SANE_STATUS_GOOD;
    }
    QStringList strings(const char* name) const {
        const SANE_Option_Descriptor* d = nullptr;
        QStringList out;
        if (find(name, &d) < 0 || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
            return out;
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s)
            out << QString::fromLocal8Bit(*s);
        return out;
    }
    // The values a resolution may take: the device's list, or common steps within its range.
    QList<int> resolutions() const {
        const SANE_Option_Descriptor* d = nullptr;
        QList<int> out;
        if (find(SANE_NAME_SCAN_RESOLUTION, &d) < 0)
            return out;
        auto toInt = [d](SANE_Word w) {
            return d->type == SANE_TYPE_FIXED ? int(SANE_UNFIX(w) + 0.5) : int(w);
        };
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k)
                out << toInt(d->constraint.word_list[k]);
        } else if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
            const int lo = std::max(1, toInt(d->constraint.range->min));
            const int hi = toInt(d->constraint.range->max);
            for (int v : {75, 100, 150, 200, 300, 600, 1200, 2400})
                if (v >= lo && v <= hi)
                    out << v;
        }
        return out;
    }

private:
    SANE_Handle m_handle = nullptr;
    SANE_Status m_status = SANE_STATUS_GOOD;
};

ScannerCondition conditionOf(SANE_Status status) {
    switch (status) {
    case SANE_STATUS_GOOD:
    case SANE_STATUS_EOF:
        return ScannerCondition::None;
    case SANE_STATUS_CANCELLED:
        return ScannerCondition::Cancelled;
    case SANE_STATUS_DEVICE_BUSY:
    case SANE_STATUS_JAMMED:
    case SANE_STATUS_NO_DOCS:
    case SANE_STATUS_COVER_OPEN:
    case SANE_STATUS_IO_ERROR:
        return ScannerCondition::DeviceFailure;
    default:
        return ScannerCondition::Failure;
    }
}

int usableResolution(int current, const QList<int>& allowed) {
    if (current >= kLowestUsableDpi || allowed.isEmpty())
        return current;
    return *std::min_element(allowed.cbegin(), allowed.cend(), [](int a, int b) {
        return std::abs(a - kFallbackDpi) < std::abs(b - kFallbackDpi);
    });
}

// One sample of a line as 8 bits.
quint8 sampleAt(const quint8* line, int index, int depth) {
    if (depth == 16) {
        quint16 v;
        std::memcpy(&v, line + 2 * index, 2); // host order, as SANE sends it
        return quint8(v >> 8);
    }
    if (depth == 1) // 1 is black in line-art frames
        return (line[index / 8] >> (7 - index % 8)) & 1 ? 0 : 255;
    return line[index];
}

// Turns the frames SANE sends (grey, interleaved RGB, or one colour per pass) into RGB888 rows.
class PageBuilder {
public:
    void startFrame(const SANE_Parameters& p) {
        m_params = p;
        if (m_width == 0)
            m_width = p.pixels_per_line;
        m_row = 0;
        m_line.clear();
    }
    void add(const quint8* data, int length) {
        const int bpl = m_params.bytes_per_line;
        while (length > 0) {
            const int take = std::min(length, bpl - int(m_line.size()));
            m_line.insert(m_line.end(), data, data + take);
            data += take;
            length -= take;
            if (int(m_line.size()) == bpl) {
                putLine();
                m_line.clear();
            }
        }
    }
    int rowsDone() const { return m_row; }
    QImage image() const {
        const int rows = int(m_rgb.size() / std::max(1, m_width * 3));
        QImage out(m_width, rows, QImage::Format_RGB888);
        for (int y = 0; y < rows; ++y)
            std::memcpy(out.scanLine(y), m_rgb.data() + size_t(y) * m_width * 3, m_width * 3);
        return out;
    }

private:
    void putLine() {
        const size_t rowBytes = size_t(m_width) * 3;
        if (m_rgb.size() < (m_row + 1) * rowBytes)
            m_rgb.resize((m_row + 1) * rowBytes, 0);
        quint8* out = m_rgb.data() + m_row * rowBytes;
        const quint8* in = m_line.data();
        const int depth = m_params.depth;
        for (int x = 0; x < m_width && x < m_params.pixels_per_line; ++x) {
            switch (m_params.format) {
            case SANE_FRAME_GRAY:
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = sampleAt(in, x, depth);
                break;
            case SANE_FRAME_RGB:
                for (int c = 0; c < 3; ++c)
                    out[3 * x + c] = sampleAt(in, 3 * x + c, depth);
                break;
            case SANE_FRAME_RED:
            case SANE_FRAME_GREEN:
            case SANE_FRAME_BLUE:
                out[3 * x + (m_params.format - SANE_FRAME_RED)] = sampleAt(in, x, depth);
                break;
            }
        }
        ++m_row;
    }

    SANE_Parameters m_params{};
    int m_width = 0;
    size_t m_row = 0;
    std::vector<quint8> m_line;
    std::vector<quint8> m_rgb;
};

} // namespace

namespace {
std::mutex saneMutex;
std::once_flag pipeSignalIgnored;
} // namespace

SaneSession::SaneSession() : m_lock(saneMutex) {
    // Backends hand the page over through a pipe from a thread or process of their own; a scan
    // cancelled while it writes must give that writer an error, not end the program.
    std::call_once(pipeSignalIgnored, [] { std::signal(SIGPIPE, SIG_IGN); });
    SANE_Int version = 0;
    m_ok = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
}

SaneSession::~SaneSession() {
    if (m_ok)
        sane_exit();
}

QList<ScannerDevice> SaneSession::devices() {
    QList<ScannerDevice> out;
    const SANE_Device** list = nullptr;
    if (!m_ok || sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return out;
    for (; *list; ++list) {
        const SANE_Device* d = *list;
        out.append({QString::fromLocal8Bit(d->name),
                    QStringLiteral("%1 %2 (%3)")
                        .arg(QString::fromLocal8Bit(d->vendor), QString::fromLocal8Bit(d->model),
                             QString::fromLocal8Bit(d->name))});
    }
    return out;
}

ScannerOptions SaneSession::options(const QString& device, ScannerCondition* condition) {
    ScannerOptions out;
    Device scanner(device);
    if (!scanner.handle()) {
        if (condition)
            *condition = ScannerCondition::NotReady;
        return out;
    }
    out.sources = scanner.strings(SANE_NAME_SCAN_SOURCE);
    out.resolutions = scanner.resolutions();
    out.resolution = usableResolution(scanner.number(SANE_NAME_SCAN_RESOLUTION), out.resolutions);
    if (condition)
        *condition = ScannerCondition::None;
    return out;
}

ScanResult SaneSession::acquire(const ScanSettings& settings, const std::atomic<bool>& cancel,
                                const std::function<void(int)>& progress) {
    ScanResult result;
    auto fail = [&](ScannerCondition c, SANE_Status status) {
        result.condition = c;
        result.detail = QString::fromLocal8Bit(sane_strstatus(status));
        return result;
    };
    if (!m_ok)
        return fail(ScannerCondition::NotReady, SANE_STATUS_INVAL);
    QString name = settings.device;
    if (name.isEmpty()) {
        const QList<ScannerDevice> found = devices();
        if (found.isEmpty())
            return fail(ScannerCondition::NotReady, SANE_STATUS_INVAL);
        name = found.first().name;
    }
    Device scanner(name);
    if (!scanner.handle())
        return fail(ScannerCondition::NotReady, scanner.status());

    // 24 bits: colour at 8 bits a sample where the device offers it; grey pages are widened.
    if (scanner.strings(SANE_NAME_SCAN_MODE).contains(QLatin1String(SANE_VALUE_SCAN_MODE_COLOR)))
        scanner.setString(SANE_NAME_SCAN_MODE, QStringLiteral(SANE_VALUE_SCAN_MODE_COLOR));
    scanner.setNumber(SANE_NAME_BIT_DEPTH, 8);
    if (!settings.source.isEmpty())
        scanner.setString(SANE_NAME_SCAN_SOURCE, settings.source);
    const int resolution =
        settings.resolution > 0
            ? settings.resolution
            : usableResolution(scanner.number(SANE_NAME_SCAN_RESOLUTION), scanner.resolutions());
    if (resolution > 0)
        scanner.setNumber(SANE_NAME_SCAN_RESOLUTION, resolution);
    result.resolution = scanner.number(SANE_NAME_SCAN_RESOLUTION);

    PageBuilder page;
    std::vector<quint8> buffer(64 * 1024);
    int lastPercent = -2;
    for (int frame = 0;; ++frame) {
        SANE_Status status = sane_start(scanner.handle());
        if (status != SANE_STATUS_GOOD) {
            sane_cancel(scanner.handle());
            return fail(conditionOf(status), status);
        }
        SANE_Parameters p{};
        status = sane_get_parameters(scanner.handle(), &p);
        if (status != SANE_STATUS_GOOD || p.bytes_per_line <= 0 || p.pixels_per_line <= 0) {
            sane_cancel(scanner.handle());
            return fail(ScannerCondition::Failure, status);
        }
        page.startFrame(p);
        const bool onePass = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB;
        for (;;) {
            if (cancel) {
                sane_cancel(scanner.handle());
                return fail(ScannerCondition::Cancelled, SANE_STATUS_CANCELLED);
            }
            SANE_Int length = 0;
            status = sane_read(scanner.handle(), buffer.data(), SANE_Int(buffer.size()), &length);
            if (status == SANE_STATUS_EOF)
                break;
            if (status != SANE_STATUS_GOOD) {
                sane_cancel(scanner.handle());
                return fail(conditionOf(status), status);
            }
            page.add(buffer.data(), length);
            if (progress) {
                const int passes = onePass ? 1 : 3;
                const int percent = p.lines > 0
                                        ? int((qint64(frame % passes) * p.lines + page.rowsDone()) *
                                              100 / (qint64(passes) * p.lines))
                                        : -1;
                if (percent != lastPercent)
                    progress(lastPercent = percent);
            }
        }
        if (p.last_frame || onePass)
            break;
    }
    sane_cancel(scanner.handle()); // ends the scan, as SANE asks after the last frame
    result.page = page.image();
    if (result.page.isNull() || result.page.height() == 0)
        return fail(ScannerCondition::Failure, SANE_STATUS_IO_ERROR);
    return result;
}

QString ScannerConditionText(ScannerCondition condition) {
    switch (condition) {
    case ScannerCondition::None:
        return {};
    case ScannerCondition::NotReady:
        return QStringLiteral("no scanner is ready");
    case ScannerCondition::DeviceFailure:
        return QStringLiteral("the scanner reported a problem");
    case ScannerCondition::Cancelled:
        return QStringLiteral("the scan was cancelled");
    case ScannerCondition::Failure:
        break;
    }
    return QStringLiteral("the scan failed");
}

} // namespace q32
