#pragma once
// The scanner button of the Add Images window: one page from the scanner, saved as
// AppDir + "scan" + counter + ".scf" (JPEG or bitmap by the storage option) and put into the
// list. The page arrives on a worker thread; the window shows its progress and stays live.

#include "platform/prompt/PromptService.h"
#include "platform/scanner/Scanner.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>

namespace q32 {

class AddImagesController;
class ScanJob;

class AddImagesScanner : public QObject {
    Q_OBJECT
public:
    explicit AddImagesScanner(AddImagesController& window);
    ~AddImagesScanner() override;

    void scan();
    void cancel();
    bool running() const;

    // The device, source and resolution chosen in the scanner settings (section "Scanner").
    ScanSettings savedSettings() const;
    void saveSettings(const ScanSettings& settings);

signals:
    void progress(int percent); // -1 while the page's length is unknown
    void runningChanged(bool running);

private:
    void finished();

    AddImagesController& m_window;
    std::unique_ptr<ScanJob> m_job;
    std::optional<BusyGuard> m_busy; // while the page arrives
    int16_t m_counter = 0;
};

} // namespace q32
