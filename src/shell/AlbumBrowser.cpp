#include "shell/AlbumBrowser.h"

#include "album/AlbumMaintenance.h"
#include "common/AppPaths.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/SharedServices.h"
#include "common/Text.h"
#include "platform/imaging/Imaging.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"

#include <QFile>
#include <QFileInfo>

namespace q32 {
namespace {

const QString kFYI = QStringLiteral("FYI");

bool isVideoFormat(const QString& format) {
    return format.startsWith(QLatin1String("59 Video")) ||
           format.startsWith(QLatin1String("93 MPEG")) ||
           format.startsWith(QLatin1String("94 Apple"));
}

bool isGifFormat(const QString& format) {
    return format.mid(3, 3).toLower() == QLatin1String("gif");
}

} // namespace

const char* const AlbumBrowser::kSortTools[10] = {"ID_SortByDate(Ascending)",
                                                  "ID_SortByDate(Descending)",
                                                  "ID_SortImageFile(Ascending)",
                                                  "ID_SortImageFile(Descending)",
                                                  "ID_SortImageFormat(Ascending)",
                                                  "ID_SortImageFormat(Descending)",
                                                  "ID_DisplayByKeywords(AscendingDate)",
                                                  "ID_DisplayByKeywords(DescendingDate)",
                                                  "ID_DisplayByDescription(AscendingDate)",
                                                  "ID_DisplayByDescription(DescendingDate)"};

QString AlbumBrowser::SortToolTip(int index, const QString& keywords, const QString& description) {
    switch (index) {
    case 0:
        return QStringLiteral("Sort By Date (Ascending)");
    case 1:
        return QStringLiteral("Sort By Date (Descending)");
    case 2:
        return QStringLiteral("Sort By Image File (Ascending)");
    case 3:
        return QStringLiteral("Sort By Image File (Descending)");
    case 4:
        return QStringLiteral("Sort By Image Format (Ascending)");
    case 5:
        return QStringLiteral("Sort By Image Format (Desscending)");
    case 6:
    case 7:
        return QStringLiteral("Display Images With Keywords: ") + keywords;
    default:
        return QStringLiteral("Display Images With Description: ") + description;
    }
}

AlbumBrowser::AlbumBrowser(ProgramState& state, Settings& settings, PromptService& prompts,
                           QObject* parent)
    : QObject(parent), m_state(state), m_settings(settings), m_prompts(prompts) {}

AlbumBrowser::~AlbumBrowser() = default;

void AlbumBrowser::closeAlbum() {
    m_recordset.reset();
    m_album.reset();
    m_state.AlbumDatabase = nullptr;
}

void AlbumBrowser::mnuOpenAlbums() {
    FileDialogRequest request;
    request.title = QStringLiteral("Open Image Depository");
    request.filter = QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb");
    request.initialDir = ResolvePathCase(
        m_settings.RegGetString(QLatin1String(section::Directories), QStringLiteral("AlbumsDir")));
    request.applyFlags(4100);
    const QString chosen = m_prompts.openFile(request);
    if (!chosen.isEmpty()) {
        m_state.AlbumToOpen = chosen;
        m_settings.RegPutString(QLatin1String(section::Directories), QStringLiteral("AlbumsDir"),
                                chosen.left(chosen.lastIndexOf(QLatin1Char('/')) + 1).toLower());
        m_state.OpenAlbumPath = chosen;
        UpdateOpenFiles();
        OpenAlbum();
    }
    emit recordToolsChanged();
    m_prompts.setBusy(false);
}

std::unique_ptr<AlbumDb> AlbumBrowser::openWithRetries(const QString& path) {
    bool readOnly = false;
    for (;;) {
        AlbumStatus status;
        auto album = AlbumDb::open(path, OpenOptions{readOnly, m_state.AlbumPassword}, &status);
        if (album)
            return album;
        switch (status.condition) {
        case AlbumCondition::CannotWrite:
        case AlbumCondition::PathAccess:
            if (readOnly)
                break;
            ++m_readOnlyFailures;
            if (m_readOnlyFailures > 1) {
                m_prompts.setBusy(false);
                m_prompts.msgBox(
                    path +
                        QStringLiteral(" cannot be updated.  The Image Depository may reside on "
                                       "read-only media such as CD-ROM or network drive.  Images "
                                       "cannot be added or removed."),
                    MsgIcon::Critical, QStringLiteral("WARNING"));
                m_prompts.setBusy(true);
                readOnly = true;
            } else {
                // The read-only attribute is cleared, then the writable open tried again.
                QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
            }
            continue;
        case AlbumCondition::WrongPassword:
            ++m_passwordAttempts;
            m_state.PasswordAlbumPath = path;
            m_prompts.setBusy(false);
            m_state.AlbumPassword = askPassword ? askPassword() : QString();
            m_prompts.setBusy(true);
            if (!m_state.AlbumPassword.isEmpty() && m_passwordAttempts < 3)
                continue;
            m_prompts.beep();
            m_prompts.msgBox(QStringLiteral("Access denied"), MsgIcon::Critical,
                             QStringLiteral("WARNING"));
            return nullptr;
        case AlbumCondition::FileNotFound:
            emit previewHidden();
            m_prompts.msgBox(QStringLiteral("'") + path.toLower() + QStringLiteral("' not found."),
                             MsgIcon::Exclamation, kFYI);
            return nullptr;
        default:
            break;
        }
        m_prompts.beep();
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: OpenAlbum)"));
        return nullptr;
    }
}

void AlbumBrowser::OpenAlbum() {
    if (m_state.AlbumToOpen.isEmpty())
        return;
    if (m_state.AlbumToOpen.startsWith(QLatin1Char('&')))
        m_state.AlbumToOpen = m_state.AlbumToOpen.mid(3);
    // Recent entries are kept in lower case; find the file as it is spelt on disk.
    m_state.AlbumToOpen = ResolvePathCase(m_state.AlbumToOpen);
    const QString path = m_state.AlbumToOpen;
    BusyGuard busy(m_prompts);
    m_passwordAttempts = 0;

    closeAlbum();
    m_state.RecordCount = 0;
    emit recordsetReset();
    m_album = openWithRetries(path);
    m_state.AlbumDatabase = m_album.get();
    if (!m_album) {
        emit recordToolsChanged();
        emit captionChanged();
        return;
    }
    SortImages(m_settings.integer(QLatin1String(section::Main), QStringLiteral("SortBy")), true);
    m_state.RecordCount = m_recordset ? m_recordset->recordCount() : 0;
    m_state.CurrentRow = 1;
    m_state.OpenAlbumPath = path;
    UpdateOpenFiles();
    emit captionChanged();
    emit recordToolsChanged();
}

void AlbumBrowser::UpdateOpenFiles() {
    if (m_updatingRecent)
        return;
    m_updatingRecent = true;
    const RecentEntries factory = FactoryRecentEntries();
    RecentEntries entries;
    for (int n = 0; n < 4; ++n) {
        entries[n] = m_settings.RegGetString(QLatin1String(section::Recent),
                                             QStringLiteral("DBFile%1").arg(n + 1));
        if (entries[n].isEmpty())
            entries[n] = factory[n];
    }
    if (const auto moved = MoveToFront(entries, m_state.OpenAlbumPath)) {
        for (int n = 4; n >= 1; --n)
            m_settings.RegPutString(QLatin1String(section::Recent),
                                    QStringLiteral("DBFile%1").arg(n), (*moved)[n - 1]);
        emit recentEntriesChanged(*moved);
    }
    m_updatingRecent = false;
}

void AlbumBrowser::SortImages(int index, bool skipPrompt) {
    BusyGuard busy(m_prompts);
    emit titleChanged(QStringLiteral("Sorting images..."));

    AlbumQuery query = m_recordset ? m_recordset->query() : AlbumQuery{};
    if (index >= 0 && index <= 9) {
        query.order = index;
        query.keywords = m_settings.RegGetString(QLatin1String(section::Main),
                                                 QStringLiteral("KeywordsToDisplay"));
        query.description =
            m_settings.RegGetString(QLatin1String(section::Main), QStringLiteral("DescToDisplay"));
        const bool keywords = index == 6 || index == 7;
        const bool description = index == 8 || index == 9;
        if ((keywords || description) && !skipPrompt) {
            m_prompts.setBusy(false);
            const QString answer =
                keywords
                    ? m_prompts.input(QStringLiteral("Display only images whose keywords are:"),
                                      QStringLiteral("DISPLAY BY KEYWORDS"), query.keywords)
                    : m_prompts.input(
                          QStringLiteral("Display only images whose description contains:"),
                          QStringLiteral("DISPLAY BY DESCRIPTION"), query.description);
            m_prompts.setBusy(true);
            if (answer.isEmpty()) {
                emit captionChanged();
                return;
            }
            (keywords ? query.keywords : query.description) = answer;
            m_settings.RegPutString(QLatin1String(section::Main),
                                    keywords ? QStringLiteral("KeywordsToDisplay")
                                             : QStringLiteral("DescToDisplay"),
                                    answer);
        }
        if (index <= 5)
            m_state.SortDirection =
                index % 2 == 0 ? QStringLiteral("ASC;") : QStringLiteral("DESC;");
        emit filterToolChanged(QLatin1String(kSortTools[index]),
                               SortToolTip(index, query.keywords, query.description));
        m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("SortBy"),
                                QString::number(index));
    }
    m_state.AlbumQuery = query.text();
    if (!m_album)
        return;

    if (!QFileInfo::exists(m_state.AlbumToOpen)) {
        m_prompts.setBusy(false);
        m_prompts.msgBox(
            QStringLiteral("'") + m_state.AlbumToOpen +
                QStringLiteral(
                    "' not found.  Please select a valid Quillon 32 - v.6.xx database file."),
            MsgIcon::Critical, QStringLiteral("ERROR"));
        return;
    }
    emit previewHidden();
    m_recordset = std::make_unique<AlbumRecordset>(*m_album, query);
    emit recordsetReset();
    if (!m_recordset->status().ok()) {
        m_prompts.beep();
        m_prompts.msgBox(m_recordset->status().text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: SortImages)"));
    }

    const qint64 count = m_recordset->recordCount();
    if (count == 0) {
        // An empty album says so once; a filter that matches nothing names its text.
        if (m_album->rowCount() == 0)
            m_prompts.msgBox(QStringLiteral("No image in this Main."), MsgIcon::Exclamation, kFYI);
        else
            m_prompts.msgBox(QStringLiteral("No picture contains \"") + query.filterText() +
                                 QStringLiteral("\"!"),
                             MsgIcon::Information, kFYI);
    }
    m_state.RecordCount = count;
    m_state.CurrentRow = 1;
    if (count > 0)
        GetOLEImages();
    emit titleChanged(FileNameOfPath(m_state.AlbumToOpen) + QStringLiteral("  (") +
                      QString::number(count) + ImagesTail(count));
}

void AlbumBrowser::NextSortOrder() {
    int next = m_settings.integer(QLatin1String(section::Main), QStringLiteral("SortBy")) + 1;
    if (next > 9)
        next = 0;
    SortImages(next, true);
}

void AlbumBrowser::mnuSetPassword_Click() {
    if (m_state.OpenAlbumPath.isEmpty())
        return;
    m_state.PasswordAlbumPath = m_state.AlbumToOpen;
    if ((askPassword ? askPassword() : QString()).isEmpty())
        return;
    if (m_player)
        m_player->close();
    closeAlbum();
    const AlbumStatus status =
        ChangeAlbumPassword(m_state.AlbumToOpen, m_state.AlbumPassword, m_state.EnteredPassword);
    if (status.condition == AlbumCondition::CannotWrite ||
        status.condition == AlbumCondition::PathAccess) {
        m_prompts.msgBox(QStringLiteral("Cannot update the Image Depository. \"") +
                             m_state.AlbumToOpen +
                             QStringLiteral("\" is either read-only or locked by another user."),
                         MsgIcon::Critical, QStringLiteral("ERROR"));
    } else if (!status.ok()) {
        m_prompts.beep();
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: mnuSetPassword_Click)"));
    }
    // The old password no longer opens the album: the password window asks for the new one.
    OpenAlbum();
}

void AlbumBrowser::ShowRecord() {
    if (m_state.CurrentRow > m_state.RecordCount)
        m_state.CurrentRow = qint32(m_state.RecordCount);
    if (m_state.CurrentRow < 1)
        m_state.CurrentRow = 1;
    GetOLEImages();
    m_prompts.setBusy(false);
}

qint64 AlbumBrowser::extract(PictureField field, const QString& file) {
    // The player may hold the work file open.
    if (m_player)
        m_player->close();
    return m_album->extractToFile(m_recordset->currentRowId(), field, file);
}

void AlbumBrowser::GetOLEImages() {
    if (!m_recordset || m_recordset->recordCount() == 0)
        return;
    AlbumStatus status = m_recordset->moveTo(m_state.CurrentRow - 1);
    const auto row = status.ok() ? m_recordset->current(&status) : std::nullopt;
    if (!row) {
        m_prompts.beep();
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: GetOLEImages)"));
        return;
    }
    m_state.CurrentImageFile = row->imageFile;
    const QString& format = row->imageFormat;
    RecordMedia media;
    auto failed = [this](const QString& what) {
        m_prompts.msgBox(
            QStringLiteral("Error retrieving %1 file from the Image Depository.").arg(what),
            MsgIcon::Critical, QStringLiteral("ERROR"));
    };
    if (isGifFormat(format)) {
        media.kind = MediaKind::Gif;
        media.path = m_state.AppDir + QStringLiteral("image.gif");
        if (extract(PictureField::Image, media.path) < 1)
            return failed(QStringLiteral("GIF"));
        // The viewer, printing and export read a still copy of the GIF.
        QImage first;
        if (LoadImage(media.path, first) == ImagingCondition::None)
            SaveImage(first.convertToFormat(QImage::Format_RGB888),
                      m_state.AppDir + QStringLiteral("image.pic"), SaveOptions{10, 24, 20, false});
    } else if (isVideoFormat(format)) {
        media.kind = MediaKind::Video;
        media.path = m_state.AppDir + QStringLiteral("pelorus.vid");
        if (extract(PictureField::Image, media.path) < 1)
            return failed(QStringLiteral("video"));
    } else {
        media.path = m_state.AppDir + QStringLiteral("image.pic");
        if (extract(PictureField::Image, media.path) < 1)
            return failed(QStringLiteral("image"));
    }
    if (row->date.isValid())
        m_state.CurrentDate = row->date;
    m_state.CurrentDescription = row->description;
    m_state.CurrentFormatName = format.mid(3);
    m_state.CurrentProperties =
        row->imageProperties + QStringLiteral(" (") + m_state.CurrentFormatName + QLatin1Char(')');
    media.hasSound = row->soundSize > 0;
    m_media = media;
    m_state.StatusWord = 0;
    emit recordShown(m_media);
}

bool AlbumBrowser::GetOLESound(VideoControl& player) {
    player.stop();
    player.close();
    const QString file = m_state.AppDir + QStringLiteral("sound.mtm");
    QFile::remove(file);
    if (!m_recordset || !m_recordset->hasCurrent()) {
        m_state.SoundPlaying = false;
        return false;
    }
    const qint64 n =
        m_album->extractToFile(m_recordset->currentRowId(), PictureField::SoundFile, file);
    if (n == 0) {
        m_state.SoundPlaying = false;
        return false;
    }
    if (n < 0) {
        m_prompts.msgBox(QStringLiteral("Error retrieving sound from database."), MsgIcon::Critical,
                         QStringLiteral("ERROR"));
        return false;
    }
    player.MMLoad(file);
    player.setMMCurrentPos(player.MMClipStart());
    player.MMPlay();
    m_state.StatusWord = 0;
    return true;
}

} // namespace q32
