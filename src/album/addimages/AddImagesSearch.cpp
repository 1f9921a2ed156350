#include "album/addimages/AddImagesSearch.h"

#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "album/scan/DirectoryScanJob.h"
#include "common/ProgramState.h"
#include "platform/prompt/PromptService.h"

#include <QTimer>

namespace q32 {
namespace {
const QString kStop = QStringLiteral("Stop");
}

AddImagesSearch::AddImagesSearch(AddImagesController& window) : m_window(window) {
    m_captions[0] = idleCaption(0);
    m_captions[1] = idleCaption(1);
}

AddImagesSearch::~AddImagesSearch() = default;

QString AddImagesSearch::idleCaption(int button) {
    return button == 0 ? QStringLiteral("&Search") : QStringLiteral("Scan &Drive");
}

bool AddImagesSearch::running() const {
    return m_searching;
}

void AddImagesSearch::click(int button) {
    if (button < 0 || button > 1)
        return;
    if (m_captions[button] == kStop) {
        stop();
        return;
    }
    if (running())
        return;
    m_window.clearList();
    m_window.setTitle(QStringLiteral("Searching..."));
    m_window.pointFileBoxAt(m_window.folder(), m_window.searchPattern());
    m_captions[button] = kStop;
    emit captionChanged(button, kStop);
    m_savedRecursive = m_window.recursive();
    const bool driveScan = button == 1;
    if (driveScan)
        m_window.showRecursive(true);
    start(button, m_window.folder(), m_window.recursive(), driveScan);
}

void AddImagesSearch::addFolders(const QStringList& folders) {
    const bool idle = m_droppedFolders.isEmpty() && !running();
    m_droppedFolders << folders;
    if (idle)
        nextDroppedFolder();
}

void AddImagesSearch::nextDroppedFolder() {
    if (m_droppedFolders.isEmpty())
        return;
    m_savedRecursive = m_window.recursive();
    start(-1, m_droppedFolders.first(), m_window.recursive(), false);
}

void AddImagesSearch::start(int button, const QString& folder, bool recursive, bool driveScan) {
    m_button = button;
    m_restored = false;
    m_listFull = false;
    m_directories = 0;
    m_found.clear();
    m_fed = 0;
    m_jobDone = false;
    m_startCount = m_window.list()->rowCount();
    m_busy.emplace(m_window.prompts());

    SearchRequest request;
    request.folder = folder;
    request.pattern = m_window.patternText();
    request.defaultPattern = m_window.defaultPattern();
    request.recursive = recursive;
    request.driveScan = driveScan;
    request.listLimit = std::max<qsizetype>(0, m_window.list()->limit() - m_startCount);
    m_job = std::make_unique<DirectoryScanJob>(request);
    connect(m_job.get(), &DirectoryScanJob::directoryRecorded, this, [this](const QString& path) {
        if (!m_restored)
            m_window.setTitle(path);
    });
    connect(m_job.get(), &DirectoryScanJob::progress, this, [this](qint64 dirs, qint64 files) {
        m_directories = dirs;
        if (!m_restored && files > 0)
            m_window.setTitle(ScanCountsTitle(dirs, m_startCount + files));
    });
    connect(m_job.get(), &DirectoryScanJob::filesFound, this, [this](const QStringList& files) {
        m_found += files;
        if (!m_feeding) {
            m_feeding = true;
            feedList();
        }
    });
    connect(m_job.get(), &DirectoryScanJob::finished, this, &AddImagesSearch::jobFinished);
    m_job->start();
    m_searching = true;
    emit runningChanged(true);
}

void AddImagesSearch::stop() {
    if (!m_searching)
        return;
    m_droppedFolders.clear();
    m_job->requestStop();
    restore();
}

void AddImagesSearch::restore() {
    if (m_restored)
        return;
    m_restored = true;
    if (m_button >= 0) {
        m_window.showRecursive(m_savedRecursive);
        m_captions[m_button] = idleCaption(m_button);
        emit captionChanged(m_button, m_captions[m_button]);
    }
    m_window.setTitle(ScanCountsTitle(m_directories, m_window.list()->rowCount()));
    m_busy.reset();
}

void AddImagesSearch::jobFinished() {
    const SearchResult& result = m_job->result();
    m_directories = result.directories;
    m_listFull = m_listFull || result.listFull;
    m_jobDone = true;
    // The image folder stays what the user chose: a search only fills the list.
    m_window.noteLeftOut(result.leftOut, result.leftOutCount, result.pattern);
    if (!m_feeding) {
        m_feeding = true;
        feedList();
    }
}

void AddImagesSearch::feedList() {
    if (m_fed < m_found.size()) {
        const QStringList batch = m_found.mid(m_fed, kBatch);
        m_fed += batch.size();
        if (!m_window.list()->append(batch)) {
            m_listFull = true;
            m_fed = m_found.size();
        }
        if (m_fed < m_found.size()) {
            // The rest on the next turn, so clicks and painting get theirs in between.
            QTimer::singleShot(0, this, &AddImagesSearch::feedList);
            return;
        }
    }
    m_feeding = false;
    if (!m_jobDone)
        return; // more files are on their way
    const bool wasRestored = m_restored;
    restore();
    if (wasRestored) // stopped earlier: the counts now include what had been found by then
        m_window.setTitle(ScanCountsTitle(m_directories, m_window.list()->rowCount()));
    if (m_button < 0 && !m_droppedFolders.isEmpty())
        m_droppedFolders.removeFirst();
    if (m_listFull) {
        m_droppedFolders.clear();
        m_window.prompts().msgBox(QString::fromLatin1(kTooManyFilesMessage), MsgIcon::None,
                                  QString());
        m_window.setTitle(ScanCountsTitle(m_directories, m_window.list()->rowCount(), true));
    }
    if (!m_droppedFolders.isEmpty()) {
        nextDroppedFolder();
        return;
    }
    m_button = -1;
    m_searching = false;
    emit runningChanged(false);
    emit finished();
}

} // namespace q32
