#include "album/ui/AddImagesScannerDialog.h"

#include "common/WhenReady.h"
#include "platform/jobs/BackgroundJob.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace q32 {

AddImagesScannerDialog::AddImagesScannerDialog(ScanSettings current, QWidget* parent)
    : QDialog(parent), m_current(std::move(current)), m_device(new QComboBox(this)),
      m_source(new QComboBox(this)), m_resolution(new QComboBox(this)),
      m_status(new QLabel(QStringLiteral("Looking for scanners..."), this)) {
    setObjectName(QStringLiteral("ScannerSettings"));
    setWindowTitle(QStringLiteral("Scanner Settings"));
    setProperty("helpPage", QStringLiteral("add-images.html#scanner"));
    m_device->setObjectName(QStringLiteral("ScannerDevice"));
    m_source->setObjectName(QStringLiteral("ScannerSource"));
    m_resolution->setObjectName(QStringLiteral("ScannerResolution"));
    for (QComboBox* box : {m_device, m_source, m_resolution})
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setMinimumWidth(440);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Scanner:"), m_device);
    form->addRow(QStringLiteral("Source:"), m_source);
    form->addRow(QStringLiteral("Resolution:"), m_resolution);
    form->addRow(m_status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_device, &QComboBox::activated, this, &AddImagesScannerDialog::deviceChosen);

    // SANE's discovery can take many seconds: it uses nothing of the window, so a window
    // closed meanwhile does not wait for it, and its answer is then dropped.
    WhenReady(this, RunLong([] { return SaneSession().devices(); }),
              [this](const QList<ScannerDevice>& found) { devicesFound(found); });
}

void AddImagesScannerDialog::devicesFound(const QList<ScannerDevice>& devices) {
    m_device->clear();
    for (const ScannerDevice& d : devices)
        m_device->addItem(d.label, d.name);
    if (devices.isEmpty()) {
        m_status->setText(QStringLiteral("No scanner found."));
        return;
    }
    const int current = std::max(0, m_device->findData(m_current.device));
    m_device->setCurrentIndex(current);
    deviceChosen(current);
}

void AddImagesScannerDialog::deviceChosen(int index) {
    const QString device = m_device->itemData(index).toString();
    m_status->setText(QStringLiteral("Asking the scanner..."));
    WhenReady(this, RunLong([device] { return SaneSession().options(device); }),
              [this, device](const ScannerOptions& options) { optionsFound(device, options); });
}

void AddImagesScannerDialog::optionsFound(const QString& device, const ScannerOptions& options) {
    if (device != m_device->currentData().toString())
        return;
    m_status->clear();
    m_source->clear();
    m_source->addItem(QStringLiteral("(the scanner's own)"), QString());
    for (const QString& s : options.sources)
        m_source->addItem(s, s);
    m_source->setCurrentIndex(std::max(0, m_source->findData(m_current.source)));
    m_resolution->clear();
    m_resolution->addItem(QStringLiteral("%1 dpi (the scanner's own)").arg(options.resolution), 0);
    for (int dpi : options.resolutions)
        m_resolution->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    m_resolution->setCurrentIndex(std::max(0, m_resolution->findData(m_current.resolution)));
}

ScanSettings AddImagesScannerDialog::settings() const {
    return {m_device->currentData().toString(), m_source->currentData().toString(),
            m_resolution->currentData().toInt()};
}

} // namespace q32
