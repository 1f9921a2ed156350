#include "album/filebrowser/ui/FileBrowser.h"

#include "common/ProgramState.h"
#include "common/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace q32 {
namespace {

const QString kSection = QStringLiteral("DriveAssignment");

// Hourglass for the life of the guard.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

FileBrowser::FileBrowser(ProgramState& state, Settings& settings, QWidget* parent)
    : QDialog(parent), m_state(state), m_settings(settings), m_session(state, settings) {
    setObjectName(QStringLiteral("DriveAssignments"));
    setWindowTitle(QStringLiteral("Browse Picture Files"));
    setProperty("helpPage", QStringLiteral("file-browser.html"));
    setModal(true);

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    m_dir1 = new QTreeView(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setModel(m_folders);
    for (int c = 1; c < m_folders->columnCount(); ++c)
        m_dir1->hideColumn(c);
    m_dir1->header()->hide();
    m_file1 = new QListWidget(this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setUniformItemSizes(true);

    auto* types = new QGroupBox(QStringLiteral("File Types"), this);
    auto* typeGrid = new QGridLayout(types);
    const QList<TypeBox>& boxes = TypeBoxes(TypeBoxSet::FileBrowser);
    for (int i = 0; i < boxes.size(); ++i) {
        auto* box = new QCheckBox(boxes[i].caption, types);
        box->setObjectName(QStringLiteral("SSCheck1_%1").arg(i));
        typeGrid->addWidget(box, i / 3, i % 3);
        connect(box, &QCheckBox::clicked, this, [this, i](bool on) {
            if (!m_ready)
                return;
            WaitCursor wait;
            m_session.boxClicked(i, on);
            m_ready = false; // the boxes are being set, not clicked
            for (int b = 0; b < m_boxes.size(); ++b)
                m_boxes[b]->setChecked(m_session.checkedBoxes().value(b));
            m_ready = true;
            showFiles();
        });
        m_boxes.append(box);
    }

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("Command3D1_1"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command3D1_0"));
    connect(m_ok, &QPushButton::clicked, this, [this] { finish(true); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { finish(false); });

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Drives:"), this));
    left->addWidget(m_drive1);
    left->addWidget(new QLabel(QStringLiteral("Folders:"), this));
    left->addWidget(m_dir1, 1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(new QLabel(QStringLiteral("Files:"), this));
    middle->addWidget(m_file1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(middle, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(types);
    layout->addLayout(buttons);
    resize(640, 600);

    connect(m_drive1, &QComboBox::activated, this, &FileBrowser::chooseDrive);
    // Keys move through the folders as clicks do.
    connect(m_dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (!m_choosing && index.isValid())
                    chooseFolder(m_folders->filePath(index));
            });
    connect(m_file1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { previewFile(m_file1->row(item)); });
}

void FileBrowser::load() {
    m_ready = false;
    m_session.load();
    for (int b = 0; b < m_boxes.size(); ++b)
        m_boxes[b]->setChecked(m_session.checkedBoxes().value(b));
    m_drives = SystemDrives();
    m_drive1->clear();
    for (const Drive& d : m_drives)
        m_drive1->addItem(d.label, d.rootPath);
    chooseFolder(m_session.folder());
    m_ready = true;
}

FileBrowserSession::Outcome FileBrowser::browse(const QRect& keepClear) {
    std::optional<QPoint> stored;
    if (!m_settings.RegGetString(kSection, QStringLiteral("Left")).isEmpty())
        stored = QPoint(m_settings.integer(kSection, QStringLiteral("Left")),
                        m_settings.integer(kSection, QStringLiteral("Top")));
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen && keepClear.isValid()) {
        // Before the first showing the frame is not known yet: room for a title bar.
        const QSize frame = frameGeometry().size().expandedTo(size() + QSize(0, 32));
        move(BrowserPlace(keepClear, frame, screen->availableGeometry(), stored));
    } else if (stored) {
        move(*stored);
    }
    m_outcome = FileBrowserSession::Outcome::Cancelled;
    setListsEnabled(true);
    exec();
    return m_outcome;
}

void FileBrowser::reject() {
    finish(false);
}

void FileBrowser::chooseDrive(int index) {
    if (index >= 0 && index < m_drives.size())
        chooseFolder(m_drives[index].rootPath);
}

void FileBrowser::chooseFolder(const QString& folder) {
    WaitCursor wait;
    const QScopedValueRollback choosing(m_choosing, true);
    m_session.setFolder(folder);
    const int drive = DriveIndexOf(m_drives, m_session.folder());
    if (drive >= 0) {
        m_drive1->setCurrentIndex(drive);
        m_dir1->setRootIndex(m_folders->setRootPath(m_drives[drive].rootPath));
    }
    const QModelIndex current = m_folders->index(m_session.folder());
    m_dir1->setCurrentIndex(current);
    m_dir1->expand(current);
    m_dir1->scrollTo(current);
    showFiles();
}

void FileBrowser::showFiles() {
    m_file1->clear();
    m_file1->addItems(m_session.files());
}

void FileBrowser::previewFile(int row) {
    const QString path = m_session.pathOf(row);
    if (path.isEmpty())
        return;
    WaitCursor wait;
    emit previewRequested(path);
    const QString line = FileDescriptionLine(path);
    if (!line.isEmpty())
        emit descriptionChanged(line);
}

void FileBrowser::finish(bool accept) {
    const FileBrowserSession::Outcome outcome = m_session.finish(accept);
    m_outcome = outcome;
    if (outcome == FileBrowserSession::Outcome::EmptyFolder) {
        emit descriptionChanged(QStringLiteral("Empty directory!"));
        hide();
        return;
    }
    savePosition();
    if (outcome == FileBrowserSession::Outcome::Accepted) {
        // The first file is shown while the lists can't be changed under it.
        setListsEnabled(false);
        m_file1->setCurrentRow(0);
        previewFile(0);
        setListsEnabled(true);
    }
    hide();
}

void FileBrowser::setListsEnabled(bool on) {
    m_drive1->setEnabled(on);
    m_dir1->setEnabled(on);
    m_ok->setEnabled(on);
}

void FileBrowser::savePosition() {
    m_settings.RegPutString(kSection, QStringLiteral("Left"), QString::number(x()));
    m_settings.RegPutString(kSection, QStringLiteral("Top"), QString::number(y()));
}

void FileBrowser::closeEvent(QCloseEvent* event) {
    // The frame's close box cancels.
    m_state.StatusWord = 1;
    m_outcome = FileBrowserSession::Outcome::Cancelled;
    savePosition();
    event->accept();
}

} // namespace q32
