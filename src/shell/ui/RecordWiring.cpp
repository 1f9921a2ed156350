#include "shell/ui/RecordWiring.h"

#include "common/ProgramState.h"
#include "output/export/ui/SaveOptionsWindow.h"
#include "shell/AlbumBrowser.h"
#include "shell/CommandDispatcher.h"
#include "shell/RecordGridModel.h"
#include "shell/ui/CaptionBand.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PreviewPane.h"

#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>

namespace q32 {
namespace {

class MainRecordSite : public RecordSite {
public:
    explicit MainRecordSite(const RecordWindowParts& parts) : m_parts(parts) {}

    AlbumDb* album() override { return m_parts.browser.album(); }
    AlbumRecordset* records() override { return m_parts.browser.recordset(); }
    AlbumMedia* media() override { return m_parts.browser.mediaSource(); }
    void hidePreview() override { m_parts.preview.hidePreview(); }
    void reloadRecords() override { m_parts.browser.reloadRecords(); }
    void showCurrentRecord() override { m_parts.browser.showCurrentRecord(); }
    void recordChanged(qint64 position) override {
        m_parts.grid.rowChanged(int(position));
        if (position == m_parts.browser.albumState().CurrentRow - 1)
            m_parts.statusLine.setText(m_parts.browser.recordState().CurrentDescription);
    }
    void showSoundIndicator() override { m_parts.preview.soundIndicator()->show(); }
    void setBusyCaption(const QString& caption) override { m_parts.showCaption(caption); }
    void lockRecords(bool locked) override { m_parts.recordArea.setEnabled(!locked); }

private:
    const RecordWindowParts& m_parts;
};

} // namespace

RecordWiring::RecordWiring(RecordWindowParts parts, const ProgramPaths& paths, Settings& settings,
                           PromptService& prompts)
    : QObject(&parts.window), m_parts(std::move(parts)),
      m_site(std::make_unique<MainRecordSite>(m_parts)),
      m_commands(std::make_unique<RecordCommands>(paths, m_parts.browser.albumState(),
                                                  m_parts.browser.recordState(), settings, prompts,
                                                  *m_site)) {
    m_commands->askSaveOptions = [this, &prompts](int format, bool append,
                                                  const ImageInfo& picture) {
        return SaveOptionsWindow::Ask(format, append, picture, prompts, &m_parts.window);
    };
    QLabel& label = m_parts.statusLine;
    label.installEventFilter(this);
    label.setCursor(Qt::PointingHandCursor);
    label.setToolTip(QStringLiteral("Click to edit the description, file name and keywords"));
    registerTools();
    addShortcuts();
}

RecordWiring::~RecordWiring() = default;

void RecordWiring::registerTools() {
    CommandDispatcher& d = m_parts.dispatcher;
    d.add(QStringLiteral("ID_AttachSound"), [this] { m_commands->attachSound(); });
    d.add(QStringLiteral("ID_ExportImage"), [this] { m_commands->exportCurrentPicture(); });
    d.add(QStringLiteral("ID_DeleteImage"), [this] { m_commands->deleteCurrentRecord(); });
    d.add(QStringLiteral("ID_ImageProcessing"), [this] { m_commands->editPictureExternally(); });
}

void RecordWiring::addShortcuts() {
    // The tools carry their own keys; F2 is where a person looks for "rename".
    auto* rename = new QShortcut(QKeySequence(Qt::Key_F2), &m_parts.window);
    connect(rename, &QShortcut::activated, this, [this] {
        if (!m_parts.dispatcher.busy())
            m_commands->editTexts();
    });
}

bool RecordWiring::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !m_parts.dispatcher.busy())
        m_commands->editTexts();
    return QObject::eventFilter(watched, event);
}

} // namespace q32
