#include "album/addimages/AddImagesScanner.h"

#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/imaging/Imaging.h"
#include "platform/prompt/PromptService.h"
#include "platform/scanner/ScanJob.h"

namespace q32 {
AddImagesScanner::AddImagesScanner(AddImagesController& window) : m_window(window) {}

AddImagesScanner::~AddImagesScanner() = default;

bool AddImagesScanner::running() const {
    return m_job && m_job->isRunning();
}

ScanSettings AddImagesScanner::savedSettings() const {
    Settings& s = m_window.settings();
    return {s.get(key::ScannerDevice), s.get(key::ScannerSource), s.get(key::ScannerResolution)};
}

void AddImagesScanner::saveSettings(const ScanSettings& settings) {
    Settings& s = m_window.settings();
    s.set(key::ScannerDevice, settings.device);
    s.set(key::ScannerSource, settings.source);
    if (settings.resolution > 0)
        s.set(key::ScannerResolution, settings.resolution);
    else
        s.clear(key::ScannerResolution);
}

void AddImagesScanner::scan() {
    if (running())
        return;
    m_busy.emplace(m_window.prompts());
    ++m_counter;
    m_job = std::make_unique<ScanJob>(savedSettings());
    connect(m_job.get(), &ScanJob::progress, this, &AddImagesScanner::progress);
    connect(m_job.get(), &ScanJob::finished, this, &AddImagesScanner::finished);
    m_job->start();
    emit runningChanged(true);
    emit progress(0);
}

void AddImagesScanner::cancel() {
    if (m_job)
        m_job->cancel();
}

void AddImagesScanner::finished() {
    PromptService& prompts = m_window.prompts();
    const ScanResult& result = m_job->result();
    m_busy.reset();
    emit runningChanged(false);
    switch (result.condition) {
    case ScannerCondition::None:
        break;
    case ScannerCondition::Cancelled:
        return;
    case ScannerCondition::NotReady:
        prompts.beep();
        prompts.msgBox(QStringLiteral("Scanner not ready."), MsgIcon::Exclamation,
                       QStringLiteral("WARNING"));
        return;
    case ScannerCondition::DeviceFailure:
        prompts.beep();
        prompts.msgBox(result.detail, MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (SSCommand2_Click: Scanner #1)"));
        return;
    case ScannerCondition::Failure:
        prompts.beep();
        prompts.msgBox(result.detail, MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (SSCommand2_Click: Scanner #2)"));
        return;
    }

    const QString path = m_window.appDir() + QStringLiteral("scan") + QString::number(m_counter) +
                         QStringLiteral(".scf");
    m_window.setCurrentImagePath(path);
    const SaveOptions options = m_window.options().CompressStorage ? SaveOptions{10, 24, 20, false}
                                                                   : SaveOptions{6, 24, 0, false};
    const ImagingCondition saved = SaveImage(result.page, path, options);
    if (saved != ImagingCondition::None) {
        prompts.beep();
        prompts.msgBox(ConditionText(saved) + QStringLiteral(": ") + path, MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (SSCommand2_Click: Scanner #2)"));
        return;
    }
    emit m_window.previewRequested(path);
    m_window.list()->append({path});
}

} // namespace q32
