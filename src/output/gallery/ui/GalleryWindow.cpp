#include "output/gallery/ui/GalleryWindow.h"

#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace q32 {

namespace {

QSpinBox* sizeBox(const char* name, int value, int minimum, int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setSingleStep(20);
    box->setSuffix(QStringLiteral(" px"));
    box->setValue(value);
    return box;
}

QCheckBox* checkBox(const char* name, const QString& caption, bool on, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(on);
    return box;
}

} // namespace

GalleryWindow::GalleryWindow(AlbumDb& album, AlbumQuery query, PromptService& prompts,
                             QWidget* parent)
    : QDialog(parent), m_album(album), m_query(std::move(query)), m_prompts(prompts) {
    setObjectName(QStringLiteral("WebGallery"));
    setWindowTitle(QStringLiteral("Export Web Gallery"));
    setProperty("helpPage", QStringLiteral("web-gallery.html"));
    const GalleryOptions defaults;
    const QString name = QFileInfo(album.path()).completeBaseName();

    m_folder = new QLineEdit(QDir::home().filePath(name + QStringLiteral(" gallery")), this);
    m_folder->setObjectName(QStringLiteral("Folder"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("Browse"));
    connect(browse, &QPushButton::clicked, this, &GalleryWindow::chooseFolder);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    m_title = new QLineEdit(name, this);
    m_title->setObjectName(QStringLiteral("Title"));
    m_thumbnailSize = sizeBox("ThumbnailSize", defaults.thumbnailSize, 32, 1024, this);
    m_pictureSize = sizeBox("PictureSize", defaults.pictureSize, 64, 8192, this);
    m_descriptions =
        checkBox("Descriptions", QStringLiteral("&Descriptions"), defaults.descriptions, this);
    m_keywords = checkBox("Keywords", QStringLiteral("&Keywords"), defaults.keywords, this);
    m_dates = checkBox("Dates", QStringLiteral("D&ates"), defaults.dates, this);
    m_properties = checkBox("Properties", QStringLiteral("&Properties"), defaults.properties, this);
    m_copyOriginals = checkBox("CopyOriginals", QStringLiteral("Copy the &original files"),
                               defaults.copyOriginals, this);

    auto* form = new QFormLayout;
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);
    form->addRow(QStringLiteral("&Title:"), m_title);
    form->addRow(QStringLiteral("T&humbnail size:"), m_thumbnailSize);
    form->addRow(QStringLiteral("Pi&cture size:"), m_pictureSize);
    auto* shown = new QVBoxLayout;
    for (QCheckBox* box : {m_descriptions, m_keywords, m_dates, m_properties})
        shown->addWidget(box);
    form->addRow(QStringLiteral("Show:"), shown);
    form->addRow(QString(), m_copyOriginals);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_status = new QLabel(QStringLiteral("The pictures of the order or filter in force."), this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_export = new QPushButton(QStringLiteral("&Export"), this);
    m_export->setObjectName(QStringLiteral("Export"));
    m_export->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    connect(m_export, &QPushButton::clicked, this, &GalleryWindow::startExport);
    connect(m_cancel, &QPushButton::clicked, this, &GalleryWindow::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
}

GalleryWindow::~GalleryWindow() = default;

GalleryOptions GalleryWindow::options() const {
    GalleryOptions o;
    o.folder = m_folder->text().trimmed();
    o.title = m_title->text();
    o.thumbnailSize = m_thumbnailSize->value();
    o.pictureSize = m_pictureSize->value();
    o.descriptions = m_descriptions->isChecked();
    o.keywords = m_keywords->isChecked();
    o.dates = m_dates->isChecked();
    o.properties = m_properties->isChecked();
    o.copyOriginals = m_copyOriginals->isChecked();
    return o;
}

void GalleryWindow::chooseFolder() {
    const QString folder = m_prompts.pickFolder(QStringLiteral("Gallery Folder"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

bool GalleryWindow::startExport() {
    if (m_job && m_job->isRunning())
        return false;
    if (options().folder.isEmpty()) {
        m_prompts.message({QStringLiteral("Choose a folder for the web gallery."), windowTitle(),
                           MsgButtons::Ok, MsgIcon::Exclamation, 1});
        return false;
    }
    if (!ConfirmGalleryOfProtectedAlbum(m_prompts, m_album))
        return false;
    m_job = std::make_unique<GalleryJob>(m_album, m_query, options());
    connect(m_job.get(), &GalleryJob::progress, this,
            [this](qint64 done, qint64 total, const QString& file) {
                m_progress->setRange(0, int(qMin<qint64>(total, INT_MAX)));
                m_progress->setValue(int(qMin<qint64>(done, INT_MAX)));
                m_status->setText(QStringLiteral("%1 of %2: %3").arg(done).arg(total).arg(file));
            });
    connect(m_job.get(), &GalleryJob::finished, this, &GalleryWindow::exportFinished);
    setRunning(true);
    m_status->setText(QStringLiteral("Writing the gallery..."));
    m_job->start();
    return true;
}

void GalleryWindow::setRunning(bool running) {
    for (QWidget* w : findChildren<QWidget*>())
        if (w != m_cancel && w != m_progress && w != m_status && !qobject_cast<QLabel*>(w))
            w->setEnabled(!running);
    m_progress->setRange(0, running ? 0 : 1);
}

void GalleryWindow::exportFinished() {
    const GalleryResult result = m_job->result();
    setRunning(false);
    switch (result.outcome) {
    case GalleryResult::Outcome::Written: {
        QString text = QStringLiteral("The web gallery of %1 records is in %2.")
                           .arg(result.records)
                           .arg(QDir::toNativeSeparators(options().folder));
        if (result.unreadable)
            text += QStringLiteral("\n%1 pictures could not be read and show a placeholder.")
                        .arg(result.unreadable);
        m_status->setText(text);
        m_prompts.message({text, windowTitle(), MsgButtons::Ok, MsgIcon::Information, 1});
        accept();
        break;
    }
    case GalleryResult::Outcome::Cancelled:
        m_status->setText(QStringLiteral("Cancelled: nothing was written."));
        break;
    case GalleryResult::Outcome::Failed:
        m_status->setText(QStringLiteral("Not written: ") + result.problem);
        m_prompts.message({QStringLiteral("The web gallery could not be written:\n") +
                               result.problem + QStringLiteral("\n\nNothing was left behind."),
                           windowTitle(), MsgButtons::Ok, MsgIcon::Critical, 1});
        break;
    }
}

void GalleryWindow::reject() {
    // Cancel stops a running export first; the window closes once nothing runs.
    if (m_job && m_job->isRunning()) {
        m_job->requestStop();
        m_status->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}

GalleryWindow* ShowGalleryWindow(AlbumDb& album, const AlbumQuery& query, PromptService& prompts,
                                 QWidget* parent) {
    auto* window = new GalleryWindow(album, query, prompts, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    return window;
}

} // namespace q32
