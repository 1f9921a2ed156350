#include "album/filebrowser/FileBrowserSession.h"

#include "album/scan/DirectoryScan.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace q32 {

QString FileDescriptionLine(const QString& path) {
    if (IsClipFileName(path))
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

FileBrowserSession::FileBrowserSession(const QString& appDir, Settings& settings)
    : m_appDir(appDir), m_settings(settings) {}

namespace {
QString FirstFolder(const Settings& settings) {
    const QString images = settings.get(key::AddImgFromDir);
    if (!images.isEmpty() && QFileInfo(images).isDir())
        return images;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}
} // namespace

void FileBrowserSession::load() {
    m_pattern = m_settings.get(key::FilesPattern);
    m_checked = CheckedBoxesForPattern(m_pattern, TypeBoxSet::FileBrowser);
    QString folder = m_settings.get(key::ThumbNailsDir);
    if (folder.isEmpty())
        folder = FirstFolder(m_settings);
    if (!QDir(folder).exists())
        folder = m_appDir;
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
    m_settings.set(key::FilesPattern, m_pattern);
    listFiles();
}

void FileBrowserSession::listFiles() {
    m_files = MatchingFiles(m_folder, FilePattern(m_pattern));
}

FileBrowserSession::Outcome FileBrowserSession::finish(bool accept) {
    if (!accept)
        return Outcome::Cancelled;
    if (m_files.isEmpty())
        return Outcome::EmptyFolder;
    // A mount point is stored as it is: its "/" is already there.
    m_settings.set(key::ThumbNailsDir, m_folder);
    return Outcome::Accepted;
}

} // namespace q32
