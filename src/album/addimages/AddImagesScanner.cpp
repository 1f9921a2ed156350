#include "album/addimages/AddImagesScanner.h"

#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/imaging/Imaging.h"
#include "platform/prompt/PromptService.h"
#include "platform/scanner/ScanJob.h"

namespace q32 {
namespace {
const QString kSection = QStringLiteral("Scanner");
}

AddImagesScanner::AddImagesScanner(AddImagesController& window) : m_window(window) {}

AddImagesScanner::~AddImagesScanner() = default;

bool AddImagesScanner::running() const {
    return m_job && m_job->isRunning();
}

ScanSettings AddImagesScanner::savedSettings() const {
    Settings& s = m_window.settings();
    return {s.RegGetString(kSection, QStringLiteral("Device")),
            s.RegGetString(kSection, QStringLiteral("Source")),
            s.integer(kSection, QStringLiteral("Resolution"))};
}

void AddImagesScanner::saveSettings(const ScanSettings& settings) {
    Settings& s = m_window.settings();
    s.RegPutString(kSection, QStringLiteral("Device"), settings.device);
    s.RegPutString(kSection, QStringLiteral("Source"), settings.source);
    s.RegPutString(kSection, QStringLiteral("Resolution"),
                   settings.resolution > 0 ? QString::number(settings.resolution) : QString());
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
    ProgramState& state = m_window.state();
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

    const QString path =
        state.AppDir + QStringLiteral("scan") + QString::number(m_counter) + QStringLiteral(".scf");
    m_window.setCurrentImagePath(path);
    const SaveOptions options = state.options.CompressStorage ? SaveOptions{10, 24, 20, false}
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
