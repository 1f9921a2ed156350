#pragma once
// Scanners through SANE: the devices there are, and one page acquired as a 24-bit picture.
// Blocking calls; run them on a worker thread (ScanJob does).

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>

namespace q32 {

// Numbered the way the Add Images window reacts to them.
enum class ScannerCondition {
    None = 0,
    Failure = 20000,       // anything not named below
    NotReady = 20079,      // no scanner, or it cannot be opened
    DeviceFailure = 20080, // the scanner reported a problem while scanning (jam, cover, no paper)
    Cancelled = 20090,     // the user stopped the scan
};

struct ScannerDevice {
    QString name; // SANE's device name, "test:0"
    QString label;
};

// A choice of the user; empty or 0 keeps the device's own setting.
struct ScanSettings {
    QString device; // empty: the first scanner found
    QString source;
    int resolution = 0; // dots per inch
};

// What a device lets the settings dialog offer.
struct ScannerOptions {
    QStringList sources;
    QList<int> resolutions; // a choice of values within the device's range
    int resolution = 0;     // the one a scan with default settings uses
};

struct ScanResult {
    ScannerCondition condition = ScannerCondition::None;
    QString detail; // the scanner's own words for a failure
    QImage page;    // RGB888
    int resolution = 0;
};

// Opens SANE for the life of the object; the calls below need one. SANE is not made for several
// threads at once: sessions wait for each other.
class SaneSession {
public:
    SaneSession();
    ~SaneSession();
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;
    bool ok() const { return m_ok; }

    QList<ScannerDevice> devices();
    ScannerOptions options(const QString& device, ScannerCondition* condition = nullptr);
    // progress gets 0..100 (or -1 while the length of the page is not known).
    ScanResult acquire(const ScanSettings& settings, const std::atomic<bool>& cancel,
                       const std::function<void(int)>& progress = {});

private:
    std::unique_lock<std::mutex> m_lock;
    bool m_ok = false;
};

// A plain English text for the window's unexpected-error message.
QString ScannerConditionText(ScannerCondition condition);

} // namespace q32
