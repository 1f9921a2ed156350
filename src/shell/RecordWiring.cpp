#include "shell/RecordWiring.h"

#include "common/ProgramState.h"
#include "output/SaveOptionsWindow.h"
#include "shell/AlbumBrowser.h"
#include "shell/CaptionBand.h"
#include "shell/MainWindow.h"
#include "shell/PreviewPane.h"
#include "shell/RecordGridModel.h"

#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>
#include <QTableView>

namespace q32 {
namespace {

class MainRecordSite : public RecordSite {
public:
    MainRecordSite(MainWindow& main, ProgramState& state) : m_main(main), m_state(state) {}

    AlbumDb* album() override { return m_main.browser().album(); }
    AlbumRecordset* records() override { return m_main.browser().recordset(); }
    AlbumMedia* media() override { return m_main.browser().mediaSource(); }
    void hidePreview() override { m_main.preview().hidePreview(); }
    void reopenAlbum() override { m_main.browser().openAlbum(m_state.album.OpenAlbumPath); }
    void showCurrentRecord() override { m_main.browser().showCurrentRecord(); }
    void recordChanged(qint64 position) override {
        if (auto* model = qobject_cast<RecordGridModel*>(m_main.grid()->model()))
            model->rowChanged(int(position));
        if (position == m_state.album.CurrentRow - 1)
            if (auto* label = m_main.findChild<QLabel*>(QStringLiteral("Label2")))
                label->setText(m_state.record.CurrentDescription);
    }
    void showSoundIndicator() override { m_main.preview().soundIndicator()->show(); }
    void setBusyCaption(const QString& caption) override {
        if (caption.isEmpty()) {
            m_main.refreshCaption();
            return;
        }
        m_main.setWindowTitle(caption);
        if (auto* band = m_main.findChild<CaptionBand*>())
            band->showStatus(caption, m_main.palette().color(QPalette::Active, QPalette::Highlight),
                             m_main.palette().color(QPalette::Active, QPalette::HighlightedText));
    }
    void lockRecords(bool locked) override { m_main.centralWidget()->setEnabled(!locked); }

private:
    MainWindow& m_main;
    ProgramState& m_state;
};

} // namespace

RecordWiring::RecordWiring(MainWindow& main, ProgramState& state, Settings& settings,
                           PromptService& prompts)
    : QObject(&main), m_main(main), m_state(state),
      m_site(std::make_unique<MainRecordSite>(main, state)),
      m_commands(std::make_unique<RecordCommands>(state, settings, prompts, *m_site)) {
    m_commands->askSaveOptions = [this, &prompts](int format, bool append,
                                                  const ImageInfo& picture) {
        return SaveOptionsWindow::Ask(format, append, picture, prompts, &m_main);
    };
    if (auto* label = m_main.findChild<QLabel*>(QStringLiteral("Label2"))) {
        label->installEventFilter(this);
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(QStringLiteral("Click to edit the description, file name and keywords"));
    }
    registerTools();
    addShortcuts();
}

RecordWiring::~RecordWiring() = default;

void RecordWiring::registerTools() {
    CommandDispatcher& d = m_main.dispatcher();
    d.add(QStringLiteral("ID_AttachSound"), [this] { m_commands->attachSound(); });
    d.add(QStringLiteral("ID_ExportImage"), [this] { m_commands->exportCurrentPicture(); });
    d.add(QStringLiteral("ID_DeleteImage"), [this] { m_commands->deleteCurrentRecord(); });
    d.add(QStringLiteral("ID_ImageProcessing"), [this] { m_commands->editPictureExternally(); });
}

void RecordWiring::addShortcuts() {
    // The tools carry their own keys; F2 is where a person looks for "rename".
    auto* rename = new QShortcut(QKeySequence(Qt::Key_F2), &m_main);
    connect(rename, &QShortcut::activated, this, [this] {
        if (!m_main.dispatcher().busy())
            m_commands->editTexts();
    });
}

bool RecordWiring::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !m_main.dispatcher().busy())
        m_commands->editTexts();
    return QObject::eventFilter(watched, event);
}

} // namespace q32
