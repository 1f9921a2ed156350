#pragma once
// The scanner settings of the Add Images window: which scanner, its source and resolution.
// The devices are looked for in the background (network scanners take a while to answer).

#include "platform/scanner/Scanner.h"

#include <QDialog>

class QComboBox;
class QLabel;

namespace q32 {

class AddImagesScannerDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddImagesScannerDialog(ScanSettings current, QWidget* parent = nullptr);
    ScanSettings settings() const;

private:
    void devicesFound(const QList<ScannerDevice>& devices);
    void deviceChosen(int index);
    void optionsFound(const QString& device, const ScannerOptions& options);

    ScanSettings m_current;
    QComboBox* m_device;
    QComboBox* m_source;
    QComboBox* m_resolution;
    QLabel* m_status;
};

} // namespace q32
