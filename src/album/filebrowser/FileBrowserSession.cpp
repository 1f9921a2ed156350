#include "album/filebrowser/FileBrowserSession.h"

#include "album/scan/DirectoryScan.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "platform/imaging/Imaging.h"

#include <QDir>
#include <QFileInfo>

namespace q32 {

QString FileDescriptionLine(const QString& path) {
    const QString tail = path.right(3).toLower();
    if (tail == QLatin1String("avi") || tail == QLatin1String("mpg"))
        return {};
    ImageInfo info;
    if (ReadImageInfo(path, info) != ImagingCondition::None)
        return QStringLiteral("UNRECOGNIZED FILE FORMAT");
    return FileNameOfPath(path) +
           QStringLiteral("  (%1x%2) (%3 bpp) (")
               .arg(info.width)
               .arg(info.height)
               .arg(info.bitsPerPixel) +
           FormatThousands(QFileInfo(path).size()) + QStringLiteral(" bytes) ");
}

QPoint BrowserPlace(const QRect& keepClear, const QSize& frame, const QRect& screen,
                    const std::optional<QPoint>& stored) {
    constexpr int gap = 12;
    auto onScreen = [&](QPoint p) {
        p.setX(std::max(screen.left(), std::min(p.x(), screen.right() + 1 - frame.width())));
        p.setY(std::max(screen.top(), std::min(p.y(), screen.bottom() + 1 - frame.height())));
        return p;
    };
    QList<QPoint> candidates;
    if (stored)
        candidates << *stored;
    candidates << QPoint(keepClear.right() + 1 + gap, keepClear.top())
               << QPoint(keepClear.left() - gap - frame.width(), keepClear.top())
               << QPoint(keepClear.left(), keepClear.bottom() + 1 + gap)
               << QPoint(keepClear.left(), keepClear.top() - gap - frame.height());
    QPoint best;
    qint64 leastCovered = -1;
    for (const QPoint& candidate : candidates) {
        const QPoint p = onScreen(candidate);
        const QRect covered = QRect(p, frame).intersected(keepClear);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (area == 0)
            return p;
        if (leastCovered < 0 || area < leastCovered) {
            leastCovered = area;
            best = p;
        }
    }
    return best;
}

FileBrowserSession::FileBrowserSession(ProgramState& state, Settings& settings)
    : m_state(state), m_settings(settings) {}

void FileBrowserSession::load() {
    m_pattern = m_settings.RegGetString(QLatin1String(section::FilesParameters),
                                        QStringLiteral("FilesPattern"));
    m_state.FilesPattern = m_pattern;
    m_checked = CheckedBoxesForPattern(m_pattern, TypeBoxSet::FileBrowser);
    QString folder = m_state.ThumbNailsDir;
    // A folder that is gone (a disk taken away) falls back to the program folder.
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = m_state.AppDir;
    setFolder(folder);
}

void FileBrowserSession::setFolder(const QString& folder) {
    m_folder = WithTrailingSlash(folder);
    listFiles();
}

QString FileBrowserSession::pathOf(int fileIndex) const {
    if (fileIndex < 0 || fileIndex >= m_files.size())
        return {};
    return JoinFolderFile(m_folder, m_files[fileIndex]);
}

void FileBrowserSession::boxClicked(int box, bool on) {
    m_checked = ApplyBoxClick(m_checked, box, on);
    m_pattern = PatternForCheckedBoxes(m_checked, TypeBoxSet::FileBrowser);
    m_state.FilesPattern = m_pattern;
    m_settings.RegPutString(QLatin1String(section::FilesParameters), QStringLiteral("FilesPattern"),
                            m_pattern);
    listFiles();
}

void FileBrowserSession::listFiles() {
    m_files = MatchingFiles(m_folder, FilePattern(m_pattern));
}

FileBrowserSession::Outcome FileBrowserSession::finish(bool accept) {
    if (!accept) {
        m_state.StatusWord = 1;
        return Outcome::Cancelled;
    }
    if (m_files.isEmpty()) {
        m_state.StatusWord = 1;
        return Outcome::EmptyFolder;
    }
    // A mount point is stored as it is: its "/" is already there.
    m_state.ThumbNailsDir = m_folder;
    m_settings.RegPutString(QLatin1String(section::Directories), QStringLiteral("ThumbNailsDir"),
                            m_folder);
    m_state.StatusWord = 0;
    return Outcome::Accepted;
}

} // namespace q32
