#include "album/addimages/AddImagesController.h"

#include "album/FormatTable.h"
#include "album/addimages/AddImagesList.h"
#include "album/addimages/AddImagesRun.h"
#include "album/addimages/AddImagesScanner.h"
#include "album/addimages/AddImagesSearch.h"
#include "album/filebrowser/FileBrowserPatterns.h"
#include "album/scan/DirectoryScan.h"
#include "common/FolderCheck.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPointer>
#include <QStandardPaths>
#include <QStringListModel>
#include <QThreadPool>

namespace q32 {
namespace {

// Where a first start looks: the user's pictures, else the home folder.
QString firstFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return WithTrailingSlash(QDir(pictures).exists() ? pictures : QDir::homePath());
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

} // namespace

AddImagesController::AddImagesController(ProgramState& state, Settings& settings,
                                         PromptService& prompts, QObject* parent)
    : QObject(parent), m_state(state), m_settings(settings), m_prompts(prompts),
      m_folderFiles(new QStringListModel(this)),
      m_folderSelection(new QItemSelectionModel(m_folderFiles, this)),
      m_list(new AddImagesList(kDefaultListLimit, this)),
      m_listSelection(new QItemSelectionModel(m_list, this)),
      m_search(std::make_unique<AddImagesSearch>(*this)),
      m_run(std::make_unique<AddImagesRun>(*this)),
      m_scanner(std::make_unique<AddImagesScanner>(*this)) {}

AddImagesController::~AddImagesController() {
    // A preview of clip details still on its way must not reach a controller that is gone.
    ++m_infoGeneration;
}

void AddImagesController::load(const QStringList& files) {
    BusyGuard busy(m_prompts);
    m_recursive = Val(m_settings.RegGetString(QLatin1String(section::Options),
                                              QStringLiteral("Recursive"))) != 0;
    emit recursiveChanged(m_recursive);
    m_skipDuplicates = Val(m_settings.RegGetString(QLatin1String(section::Options),
                                                   QStringLiteral("SkipDuplicates"))) != 0;
    emit skipDuplicatesChanged(m_skipDuplicates);

    QString folder = m_settings.RegGetString(QLatin1String(section::Directories),
                                             QStringLiteral("AddImgFromDir"));
    folder = folder.isEmpty() ? firstFolder() : WithTrailingSlash(folder);
    // A folder that is gone (a disk taken away) gives way to the program folder; one that is
    // there but can't be read says why first, and stays remembered for when it can.
    const FolderCheck check = CheckFolder(folder);
    if (check.result == FolderCheck::Result::Failed) {
        m_prompts.beep();
        m_prompts.msgBox(folder + QStringLiteral(": ") + check.reason, MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (AddImages: Form_Load)"));
        folder = m_state.AppDir;
    } else if (check.result == FolderCheck::Result::Missing) {
        folder = m_state.AppDir;
        m_settings.RegPutString(QLatin1String(section::Directories),
                                QStringLiteral("AddImgFromDir"), folder);
    }
    m_state.FilesPattern = m_settings.RegGetString(QLatin1String(section::FilesParameters),
                                                   QStringLiteral("FilesPattern"));

    if (files.isEmpty()) {
        pointFileBoxAt(folder, searchPattern());
    } else {
        const QString first = QFileInfo(files.first()).absoluteFilePath();
        pointFileBoxAt(folderOf(first), searchPattern());
        QStringList absolute;
        for (const QString& f : files)
            absolute << QFileInfo(f).absoluteFilePath();
        m_list->append(absolute);
        m_listSelection->select(m_list->index(0), QItemSelectionModel::ClearAndSelect);
        m_listSelection->setCurrentIndex(m_list->index(0), QItemSelectionModel::NoUpdate);
        showImageInfo(first);
    }

    m_settingBoxes = true;
    m_typeBoxes = CheckedBoxesForPattern(m_state.FilesPattern, TypeBoxSet::AddImages);
    emit typeBoxesChanged();
    m_settingBoxes = false;

    setTitle(QStringLiteral("Add Images to Depository"));
    m_loaded = true;
}

QString AddImagesController::folderFilePath(int row) const {
    const QStringList& names = m_folderFiles->stringList();
    if (row < 0 || row >= names.size())
        return {};
    return JoinFolderFile(m_folder, names[row]);
}

void AddImagesController::pointFileBoxAt(const QString& folder, const QString& pattern) {
    m_folder = WithTrailingSlash(folder);
    m_filePattern = pattern;
    m_folderFiles->setStringList(MatchingFiles(m_folder, FilePattern(m_filePattern)));
    emit folderLabelChanged(m_folder);
}

void AddImagesController::setPatternText(const QString& text) {
    m_patternText = text;
    if (m_loaded)
        pointFileBoxAt(m_folder, searchPattern());
}

QString AddImagesController::defaultPattern() const {
    const QString stored = m_state.FilesPattern.trimmed();
    if (stored.isEmpty() || stored == QLatin1String(kNoFilesPattern))
        return ReadableFilesPattern();
    return stored;
}

QString AddImagesController::searchPattern() const {
    return m_patternText.trimmed().isEmpty() ? defaultPattern() : m_patternText;
}

void AddImagesController::storeFolder() {
    m_folder = WithTrailingSlash(m_folder);
    // Each write rewrites the settings file and waits for the disk: only a change is written.
    const QString directories = QLatin1String(section::Directories);
    if (m_settings.RegGetString(directories, QStringLiteral("AddImgFromDir")) != m_folder)
        m_settings.RegPutString(directories, QStringLiteral("AddImgFromDir"), m_folder);
}

void AddImagesController::titleForListCount() {
    showListCount();
    m_state.StatusWord = 0;
    emit selectAllEnabled(true);
}

void AddImagesController::showListCount() {
    const qsizetype n = m_list->rowCount();
    setTitle(QString::number(n) + (n == 1 ? QStringLiteral(" image") : QStringLiteral(" images")));
}

void AddImagesController::addFolderFile(int row) {
    const QString path = folderFilePath(row);
    if (path.isEmpty())
        return;
    m_list->append({path});
    showListCount();
}

void AddImagesController::addSelectedFiles() {
    QList<int> rows;
    for (const QModelIndex& i : m_folderSelection->selectedIndexes())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int r : rows)
        paths << folderFilePath(r);
    m_list->append(paths);
    titleForListCount();
}

void AddImagesController::addAllFiles() {
    QStringList paths;
    for (int r = 0; r < m_folderFiles->rowCount(); ++r)
        paths << folderFilePath(r);
    m_list->append(paths);
    // The folder's other files were left out by the pattern.
    QList<LeftOutFile> others;
    qint64 count = 0;
    MatchingFiles(m_folder, FilePattern(m_filePattern), &others, &count);
    noteLeftOut(others, count, m_filePattern);
    if (m_folderFiles->rowCount() > 0)
        m_folderSelection->select(
            QItemSelection(m_folderFiles->index(0),
                           m_folderFiles->index(m_folderFiles->rowCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    titleForListCount();
}

void AddImagesController::removeEntry(int row) {
    m_list->removeAt(row);
    showListCount();
}

void AddImagesController::clearList() {
    m_list->clear();
    m_leftOut.clear();
    m_leftOutNotKept = 0;
    showListCount();
}

void AddImagesController::retainSelected() {
    QList<int> rows;
    for (const QModelIndex& i : m_listSelection->selectedIndexes())
        rows << i.row();
    m_list->retain(rows);
    showListCount();
}

void AddImagesController::noteLeftOut(const QList<LeftOutFile>& files, qint64 count,
                                      const QString& pattern) {
    for (const LeftOutFile& f : files) {
        if (m_leftOut.size() >= kLeftOutKept) {
            ++m_leftOutNotKept;
            continue;
        }
        m_leftOut.insert(f.path, LeftOutReasonText(f.reason, pattern));
    }
    m_leftOutNotKept += count - files.size();
}

QList<QPair<QString, QString>> AddImagesController::leftOut() const {
    QList<QPair<QString, QString>> out;
    for (auto it = m_leftOut.cbegin(); it != m_leftOut.cend(); ++it)
        if (!m_list->contains(it.key()))
            out.append({it.key(), it.value()});
    return out;
}

void AddImagesController::changeFolder() {
    const QString chosen = m_prompts.pickFolder(QStringLiteral("Select Image Folder"), m_folder);
    if (!chosen.isEmpty())
        pointFileBoxAt(chosen, searchPattern());
    const int n = m_folderFiles->rowCount();
    emit folderLabelChanged(m_folder + QStringLiteral(" (") + QString::number(n) +
                            (n == 1 ? QStringLiteral(" file)") : QStringLiteral(" files)")));
}

void AddImagesController::addDropped(const QStringList& paths) {
    QStringList files;
    QStringList folders;
    for (const QString& p : paths) {
        const QFileInfo info(p);
        if (info.isDir())
            folders << info.absoluteFilePath();
        else if (info.isFile())
            files << info.absoluteFilePath();
    }
    if (!m_list->append(files))
        m_prompts.msgBox(QString::fromLatin1(kTooManyFilesMessage), MsgIcon::None, QString());
    if (!folders.isEmpty())
        m_search->addFolders(folders);
    else if (!files.isEmpty())
        titleForListCount();
}

void AddImagesController::setRecursive(bool on) {
    m_recursive = on;
    m_settings.RegPutString(QLatin1String(section::Options), QStringLiteral("Recursive"),
                            on ? QStringLiteral("-1") : QStringLiteral("0"));
}

void AddImagesController::setSkipDuplicates(bool on) {
    m_skipDuplicates = on;
    m_settings.RegPutString(QLatin1String(section::Options), QStringLiteral("SkipDuplicates"),
                            on ? QStringLiteral("-1") : QStringLiteral("0"));
}

void AddImagesController::showRecursive(bool on) {
    m_recursive = on;
    emit recursiveChanged(on);
}

void AddImagesController::typeBoxClicked(int box, bool on) {
    if (!m_loaded || m_settingBoxes)
        return;
    BusyGuard busy(m_prompts);
    m_typeBoxes = ApplyBoxClick(m_typeBoxes, box, on);
    m_state.FilesPattern = PatternForCheckedBoxes(m_typeBoxes, TypeBoxSet::AddImages);
    m_settings.RegPutString(QLatin1String(section::FilesParameters), QStringLiteral("FilesPattern"),
                            m_state.FilesPattern);
    m_settingBoxes = true;
    emit typeBoxesChanged();
    m_settingBoxes = false;
    pointFileBoxAt(m_folder, searchPattern());
}

void AddImagesController::showImageInfo(const QString& path, Reporting reporting) {
    BusyGuard busy(m_prompts);
    emit previewHidden();
    const quint64 generation = ++m_infoGeneration;
    const ImageDetails details = InspectImageFile(path);
    const int number = ConditionNumber(details.condition);
    if (details.condition != ImagingCondition::None && reporting == Reporting::Quiet) {
        emit detailsHidden();
        return;
    }
    if (details.condition == ImagingCondition::UnrecognisedFormat) {
        emit detailsHidden();
        m_prompts.beep();
        m_prompts.msgBox(QStringLiteral("Unrecognized image format."), MsgIcon::Exclamation,
                         QStringLiteral("WARNING"));
        return;
    }
    if (number >= 20030 && number <= 20062) {
        emit detailsHidden();
        m_prompts.beep();
        m_prompts.msgBox(QStringLiteral("Error #%1 reading this image file:\n").arg(number) + path +
                             QStringLiteral("\nPlease send the above image file for analysis."),
                         MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)"));
        return;
    }
    if (details.condition != ImagingCondition::None) {
        emit detailsHidden();
        m_prompts.beep();
        m_prompts.msgBox(ConditionText(details.condition), MsgIcon::Critical,
                         QStringLiteral("CRITIAL ERROR! (AddImages: Command3D1_Click)"));
        return;
    }
    m_currentImagePath = path;
    if (!details.clip)
        emit previewRequested(path);
    if (m_state.StatusWord == 1)
        return;
    emit detailsShown(details);
    if (details.clip) {
        // The player takes a moment to read a clip: its size arrives when it is known.
        QPointer<AddImagesController> self(this);
        QThreadPool::globalInstance()->start([self, generation, path] {
            const ImageDetails clip = InspectClip(path);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, generation, clip] {
                    if (self)
                        self->showClipDetails(generation, clip);
                },
                Qt::QueuedConnection);
        });
    }
}

void AddImagesController::showClipDetails(quint64 generation, const ImageDetails& details) {
    if (generation == m_infoGeneration && details.condition == ImagingCondition::None)
        emit detailsShown(details);
}

void AddImagesController::showListEntry(int row) {
    const QString path = m_list->path(row);
    if (!path.isEmpty())
        showImageInfo(path);
}

void AddImagesController::setTitle(const QString& title) {
    m_title = title;
    emit titleChanged(title);
}

void AddImagesController::deleteScannerFiles() {
    QDir app(m_state.AppDir);
    for (const QString& name : app.entryList({QStringLiteral("*.scf")}, QDir::Files))
        app.remove(name);
}

bool AddImagesController::cancel() {
    m_state.StatusWord = 1;
    if (m_run->running()) {
        m_run->requestStop(); // the run stops after the file in hand, then closes the window
        return false;
    }
    m_search->stop();
    m_scanner->cancel();
    deleteScannerFiles();
    emit closeRequested();
    return true;
}

bool AddImagesController::closeBoxClicked() {
    m_state.StatusWord = 1;
    if (m_run->running()) {
        m_run->requestStop();
        return false;
    }
    m_search->stop();
    m_scanner->cancel();
    return true;
}

} // namespace q32
