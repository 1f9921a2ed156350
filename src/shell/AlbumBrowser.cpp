#include "shell/AlbumBrowser.h"

#include "album/AlbumFileDialog.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumMedia.h"
#include "album/AlbumThumbnails.h"
#include "album/add/ThumbnailMaker.h"
#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/Settings.h"
#include "common/SharedServices.h"
#include "common/Text.h"
#include "common/WhenReady.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "platform/jobs/BackgroundJob.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "shell/HashFiller.h"

#include <QFile>
#include <QFileInfo>

namespace q32 {
namespace {

const QString kFYI = QStringLiteral("FYI");

} // namespace

// An animated WebP plays like a GIF; a still one is a picture like any other. QMovie plays
// frames as they are stored, so an animation whose EXIF turns it shows its first frame upright.
bool AlbumBrowser::isAnimatedWebp(const QString& format, const QByteArray& bytes) {
    if (FormatCodeOf(format) != kWebpCode)
        return false;
    const imaging::InMemoryFile file("quillon-webp", bytes);
    ImageInfo info;
    return file.ok() && ReadImageInfo(file.path(), info) == ImagingCondition::None &&
           info.animated && info.orientation <= 1;
}

const char* const AlbumBrowser::kSortTools[SortOrderCount] = {
    "ID_SortByDate(Ascending)",
    "ID_SortByDate(Descending)",
    "ID_SortImageFile(Ascending)",
    "ID_SortImageFile(Descending)",
    "ID_SortImageFormat(Ascending)",
    "ID_SortImageFormat(Descending)",
    "ID_DisplayByKeywords(AscendingDate)",
    "ID_DisplayByKeywords(DescendingDate)",
    "ID_DisplayByDescription(AscendingDate)",
    "ID_DisplayByDescription(DescendingDate)"};

QString AlbumBrowser::sortToolTip(int order, const QString& keywords, const QString& description) {
    switch (order) {
    case DateAscending:
        return QStringLiteral("Sort By Date (Ascending)");
    case DateDescending:
        return QStringLiteral("Sort By Date (Descending)");
    case FileAscending:
        return QStringLiteral("Sort By Image File (Ascending)");
    case FileDescending:
        return QStringLiteral("Sort By Image File (Descending)");
    case FormatAscending:
        return QStringLiteral("Sort By Image Format (Ascending)");
    case FormatDescending:
        return QStringLiteral("Sort By Image Format (Desscending)");
    case KeywordsAscendingDate:
    case KeywordsDescendingDate:
        return QStringLiteral("Display Images With Keywords: ") + keywords;
    default:
        return QStringLiteral("Display Images With Description: ") + description;
    }
}

AlbumBrowser::AlbumBrowser(PlaybackState& playback, Settings& settings, PromptService& prompts,
                           QObject* parent)
    : QObject(parent), m_playback(playback), m_settings(settings), m_prompts(prompts) {
    m_idReading.setSingleShot(true);
    connect(&m_idReading, &QTimer::timeout, this, [this] {
        const bool more = m_recordset && m_recordset->readMoreIds(8);
        noteFoundRows();
        if (more)
            m_idReading.start();
    });
}

AlbumBrowser::~AlbumBrowser() = default;

void AlbumBrowser::releaseMedia() {
    if (m_player)
        m_player->close();
    m_source.reset();
    PrivateFiles::remove();
}

void AlbumBrowser::closeAlbum() {
    m_hashFiller.reset();
    releaseMedia();
    m_recordset.reset();
    m_album.reset();
    m_open = OpenAlbumState{};
    m_current = CurrentRecordState{};
    emit recordsetReset();
    emit recordCleared();
    emit recordToolsChanged();
    emit captionChanged();
}

void AlbumBrowser::chooseAlbumToOpen() {
    const QString chosen =
        AskAlbumToOpen(m_prompts, ResolvePathCase(m_settings.get(key::AlbumsDir)));
    if (!chosen.isEmpty()) {
        // Kept as it is spelt: file names are case-sensitive.
        m_settings.set(key::AlbumsDir, chosen.left(chosen.lastIndexOf(QLatin1Char('/')) + 1));
        openAlbum(chosen);
    }
    emit recordToolsChanged();
}

struct AlbumBrowser::Opening {
    QString path;
    QString password;
    bool readOnly = false;
    int passwordAttempts = 0;
    std::function<void(bool)> done;
    BusyGuard busy;
};

bool AlbumBrowser::retryAfter(Opening& opening, const AlbumStatus& status) {
    const QString& path = opening.path;
    switch (status.condition) {
    case AlbumCondition::CannotWrite:
    case AlbumCondition::PathAccess:
        if (opening.readOnly)
            break;
        ++m_readOnlyFailures;
        if (m_readOnlyFailures > 1) {
            m_prompts.msgBox(
                path + QStringLiteral(" cannot be updated.  The Image Depository may reside on "
                                      "read-only media such as CD-ROM or network drive.  Images "
                                      "cannot be added or removed."),
                MsgIcon::Critical, QStringLiteral("WARNING"));
            opening.readOnly = true;
        } else {
            // The read-only attribute is cleared, then the writable open tried again.
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        }
        return true;
    case AlbumCondition::WrongPassword: {
        // A typed password that failed is named as wrong before the window asks again.
        if (opening.passwordAttempts > 0)
            m_prompts.msgBox(QStringLiteral("The password you typed is wrong for ") + path +
                                 QStringLiteral("."),
                             MsgIcon::Exclamation, QStringLiteral("WARNING"));
        ++opening.passwordAttempts;
        const std::optional<QString> answer = m_prompts.askPassword(path);
        if (answer)
            m_lastEnteredPassword = *answer;
        // Closed by its frame: the last answer is tried again.
        opening.password = m_lastEnteredPassword;
        if (!opening.password.isEmpty() && opening.passwordAttempts < 3)
            return true;
        m_prompts.beep();
        m_prompts.msgBox(QStringLiteral("Access denied"), MsgIcon::Critical,
                         QStringLiteral("WARNING"));
        return false;
    }
    case AlbumCondition::FileNotFound:
        m_prompts.msgBox(QStringLiteral("'") + path + QStringLiteral("' not found."),
                         MsgIcon::Exclamation, kFYI);
        return false;
    default:
        break;
    }
    m_prompts.beep();
    m_prompts.msgBox(status.text(), MsgIcon::Critical,
                     QStringLiteral("UNEXPECTED ERROR! (PELORUS: OpenAlbum)"));
    return false;
}

void AlbumBrowser::openAlbum(const QString& requested, std::function<void(bool)> done) {
    const QString path = requested.startsWith(QLatin1Char('&')) ? requested.mid(3) : requested;
    if (path.isEmpty() || m_opening) {
        if (done)
            done(false);
        return;
    }
    // The open album's password is tried first, as albums often share one.
    m_opening.reset(
        new Opening{path, m_open.AlbumPassword, false, 0, std::move(done), BusyGuard(m_prompts)});
    attemptOpen();
}

void AlbumBrowser::attemptOpen() {
    struct Attempt {
        std::unique_ptr<AlbumDb> album;
        std::unique_ptr<AlbumRecordset> records;
        AlbumStatus status;
    };
    auto attempt = std::make_shared<Attempt>();
    const QString path = m_opening->path;
    const OpenOptions options{m_opening->readOnly, m_opening->password};
    // The first rows are read on the worker too: in a large protected album reading the order's
    // ids decrypts many pages.
    const AlbumQuery query = queryOf(m_settings.get(key::SortBy), {});
    // Dropped with the browser when it goes first: the album then closes on the worker.
    WhenReady(this, RunLong([attempt, path, options, query] {
                  attempt->album = AlbumDb::open(path, options, &attempt->status);
                  if (attempt->album)
                      attempt->records = std::make_unique<AlbumRecordset>(*attempt->album, query);
              }),
              [this, attempt] {
                  if (attempt->album) {
                      adoptAlbum(std::move(attempt->album), std::move(attempt->records));
                      finishOpening(true);
                  } else if (retryAfter(*m_opening, attempt->status)) {
                      attemptOpen();
                  } else {
                      emit captionChanged();
                      finishOpening(false);
                  }
              });
}

void AlbumBrowser::reloadRecords() {
    if (!m_album)
        return;
    const OpenAlbumState open = m_open;
    releaseMedia();
    m_recordset.reset();
    m_source = std::make_shared<AlbumMedia>(*m_album);
    m_open = OpenAlbumState{};
    m_open.OpenAlbumPath = open.OpenAlbumPath;
    m_open.AlbumPassword = open.AlbumPassword;
    runSort(m_settings.get(key::SortBy), true, true);
    emit captionChanged();
    emit recordToolsChanged();
}

void AlbumBrowser::adoptAlbum(std::unique_ptr<AlbumDb> album,
                              std::unique_ptr<AlbumRecordset> records) {
    m_hashFiller.reset();
    releaseMedia();
    m_recordset.reset();
    m_album = std::move(album);
    m_source = std::make_shared<AlbumMedia>(*m_album);
    m_open = OpenAlbumState{};
    m_open.OpenAlbumPath = m_opening->path;
    m_open.AlbumPassword = m_opening->password;
    // Records added without a content hash (and those of a run cut short) get theirs now.
    if (!m_album->isReadOnly() && m_album->hasContentHashes())
        m_hashFiller = std::make_unique<HashFiller>(HashFiller::Kind::Content, m_open.OpenAlbumPath,
                                                    m_open.AlbumPassword);
    runSort(m_settings.get(key::SortBy), true, true, std::move(records));
    rememberRecentAlbum(m_opening->path);
    emit captionChanged();
    emit recordToolsChanged();
}

void AlbumBrowser::finishOpening(bool opened) {
    const std::unique_ptr<Opening> opening = std::move(m_opening);
    if (opening->done)
        opening->done(opened);
    emit albumOpened(opened);
}

void AlbumBrowser::rememberRecentAlbum(const QString& path) {
    // Missing values read as "": a first start keeps blank entries below the new one.
    const QStringList stored = m_settings.recentAlbums();
    RecentEntries entries;
    std::copy_n(stored.cbegin(), entries.size(), entries.begin());
    if (const auto moved = MoveToFront(entries, path)) {
        m_settings.setRecentAlbums(QStringList(moved->cbegin(), moved->cend()));
        emit recentEntriesChanged(*moved);
    }
}

void AlbumBrowser::sortImages(int order, bool skipPrompt) {
    runSort(order, skipPrompt, false);
}

int AlbumBrowser::unfilteredOrder(int order) {
    if (order < KeywordsAscendingDate || order >= SortOrderCount)
        return order;
    return order % 2 == 0 ? DateAscending : DateDescending;
}

QString AlbumBrowser::activeFilter() const {
    if (!m_album || !m_recordset)
        return {};
    const AlbumQuery& query = m_recordset->query();
    if (query.isSimilar())
        return QStringLiteral("Pictures like \"%1\" (within %2 of 64 bits)")
            .arg(query.similarTo)
            .arg(query.similarDistance);
    if (!query.isFilter())
        return {};
    const bool keywords =
        query.order == KeywordsAscendingDate || query.order == KeywordsDescendingDate;
    return (keywords ? QStringLiteral("Keywords contain \"")
                     : QStringLiteral("Description contains \"")) +
           query.filterText() + QLatin1Char('"');
}

void AlbumBrowser::clearFilter() {
    if (activeFilter().isEmpty())
        return;
    runSort(unfilteredOrder(m_recordset->query().order), true, false);
    emit captionChanged();
    emit recordToolsChanged();
}

void AlbumBrowser::showSimilar(const QList<qint64>& rows, const QString& name, int distance) {
    if (!m_album || !m_recordset || rows.isEmpty())
        return;
    BusyGuard busy(m_prompts);
    AlbumQuery query = m_recordset->query();
    query.similarRows = rows;
    query.similarTo = name;
    query.similarDistance = distance;
    const qint64 count = showQuery(query, QStringLiteral("UNEXPECTED ERROR! (Find Similar)"));
    if (count > 0)
        extractCurrentMedia();
    emit titleChanged(FileNameOfPath(m_open.OpenAlbumPath) + QStringLiteral("  (") +
                      QString::number(count) + ImagesTail(count));
    emit captionChanged();
    emit recordToolsChanged();
}

qint64 AlbumBrowser::showQuery(const AlbumQuery& query, const QString& errorTitle,
                               std::unique_ptr<AlbumRecordset> ready) {
    emit previewHidden();
    m_recordset = ready ? std::move(ready) : std::make_unique<AlbumRecordset>(*m_album, query);
    m_countTitlePending = false;
    if (!m_recordset->idsComplete())
        m_idReading.start(0);
    emit recordsetReset();
    if (!m_recordset->status().ok()) {
        m_prompts.beep();
        m_prompts.msgBox(m_recordset->status().text(), MsgIcon::Critical, errorTitle);
    }
    const qint64 count = m_recordset->knownCount();
    m_open.RecordCount = count;
    m_open.CurrentRow = 1;
    if (count == 0) {
        m_current = CurrentRecordState{};
        emit recordCleared();
    }
    return count;
}

AlbumQuery AlbumBrowser::queryOf(int order, AlbumQuery query) const {
    query.similarRows.clear(); // any order or filter ends Find Similar's
    if (order >= 0 && order < SortOrderCount) {
        query.order = order;
        query.keywords = m_settings.get(key::KeywordsToDisplay);
        query.description = m_settings.get(key::DescToDisplay);
    }
    return query;
}

void AlbumBrowser::runSort(int order, bool skipPrompt, bool opening,
                           std::unique_ptr<AlbumRecordset> ready) {
    BusyGuard busy(m_prompts);
    emit titleChanged(QStringLiteral("Sorting images..."));

    AlbumQuery query = queryOf(order, m_recordset ? m_recordset->query() : AlbumQuery{});
    if (order >= 0 && order < SortOrderCount) {
        const bool keywords = order == KeywordsAscendingDate || order == KeywordsDescendingDate;
        const bool description =
            order == DescriptionAscendingDate || order == DescriptionDescendingDate;
        if ((keywords || description) && !skipPrompt) {
            const QString answer =
                keywords
                    ? m_prompts.input(QStringLiteral("Display only images whose keywords are:"),
                                      QStringLiteral("DISPLAY BY KEYWORDS"), query.keywords)
                    : m_prompts.input(
                          QStringLiteral("Display only images whose description contains:"),
                          QStringLiteral("DISPLAY BY DESCRIPTION"), query.description);
            if (answer.isEmpty()) {
                emit captionChanged();
                return;
            }
            (keywords ? query.keywords : query.description) = answer;
            m_settings.set(keywords ? key::KeywordsToDisplay : key::DescToDisplay, answer);
        }
        if (order <= FormatDescending)
            m_open.SortDirection =
                order % 2 == 0 ? QStringLiteral("ASC;") : QStringLiteral("DESC;");
        emit filterToolChanged(QLatin1String(kSortTools[order]),
                               sortToolTip(order, query.keywords, query.description));
        // An open sorts in the kept order: nothing to write.
        if (!opening)
            m_settings.set(key::SortBy, order);
    }
    m_open.AlbumQuery = query.text();
    if (!m_album)
        return;

    const QString& albumPath = m_open.OpenAlbumPath;
    if (!QFileInfo::exists(albumPath)) {
        m_prompts.msgBox(
            QStringLiteral("'") + albumPath +
                QStringLiteral(
                    "' not found.  Please select a valid Quillon 32 - v.6.xx database file."),
            MsgIcon::Critical, QStringLiteral("ERROR"));
        return;
    }
    if (ready && ready->query().text() != query.text())
        ready.reset();
    const qint64 count = showQuery(query, QStringLiteral("UNEXPECTED ERROR! (PELORUS: SortImages)"),
                                   std::move(ready));
    if (count == 0) {
        // An empty album says so once; a filter that matches nothing names its text.
        if (m_album->rowCount() == 0)
            m_prompts.msgBox(QStringLiteral("No image in this Main."), MsgIcon::Exclamation, kFYI);
        else
            m_prompts.msgBox(QStringLiteral("No picture contains \"") + query.filterText() +
                                 QStringLiteral("\"!"),
                             MsgIcon::Information, kFYI);
        // A filter kept from another album must not hide every picture of this one.
        if (opening && query.isFilter() && m_album->rowCount() > 0)
            return runSort(unfilteredOrder(query.order), true, false);
    } else {
        extractCurrentMedia();
    }
    // A filter still being read keeps "Sorting images..." until its count is known.
    m_countTitlePending = true;
    noteFoundRows();
}

void AlbumBrowser::noteFoundRows() {
    if (!m_recordset)
        return;
    const qint64 known = m_recordset->knownCount();
    if (known > m_open.RecordCount) {
        m_open.RecordCount = known;
        emit rowsFound();
        emit captionChanged();
    }
    if (m_countTitlePending && m_recordset->countKnown()) {
        m_countTitlePending = false;
        emit titleChanged(FileNameOfPath(m_open.OpenAlbumPath) + QStringLiteral("  (") +
                          QString::number(known) + ImagesTail(known));
    }
}

void AlbumBrowser::findEveryRow() {
    if (m_recordset) {
        m_recordset->recordCount();
        noteFoundRows();
    }
}

void AlbumBrowser::nextSortOrder() {
    int next = m_settings.get(key::SortBy) + 1;
    if (next >= SortOrderCount)
        next = DateAscending;
    sortImages(next, true);
}

void AlbumBrowser::setOrChangePassword() {
    const QString path = m_open.OpenAlbumPath;
    if (path.isEmpty())
        return;
    const std::optional<QString> answer = m_prompts.askNewPassword(
        QStringLiteral("SECURED DATABASE"), QStringLiteral("Enter password for ") + path);
    if (!answer)
        return;
    const bool removing = answer->isEmpty();
    if (removing) {
        // Nothing typed: on a protected album that means taking its password off.
        if (!m_album || !m_album->isEncrypted())
            return;
        const MsgResult remove = m_prompts.message(
            {QStringLiteral("Remove the password of ") + path +
                 QStringLiteral("?\n\nThe album will no longer be encrypted: anyone who has the "
                                "file can open it."),
             QStringLiteral("SECURED DATABASE"), MsgButtons::YesNo, MsgIcon::Question, 2});
        if (remove != MsgResult::Yes)
            return;
    }
    m_lastEnteredPassword = *answer;
    const QString oldPassword = m_open.AlbumPassword;
    closeAlbum();
    const AlbumStatus status = ChangeAlbumPassword(path, oldPassword, *answer);
    if (status.condition == AlbumCondition::CannotWrite ||
        status.condition == AlbumCondition::PathAccess) {
        m_prompts.msgBox(QStringLiteral("Cannot update the Image Depository. \"") + path +
                             QStringLiteral("\" is either read-only or locked by another user."),
                         MsgIcon::Critical, QStringLiteral("ERROR"));
    } else if (!status.ok()) {
        m_prompts.beep();
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: mnuSetPassword_Click)"));
    }
    // A new password: the old one is tried first and no longer opens the album, so the password
    // window asks for the new one. A removed one opens without any.
    m_open.AlbumPassword = removing && status.ok() ? QString() : oldPassword;
    openAlbum(path);
}

void AlbumBrowser::showCurrentRecord() {
    OpenAlbumState& album = m_open;
    album.CurrentRow =
        std::clamp<qint64>(album.CurrentRow, 1, std::max<qint64>(1, album.RecordCount));
    extractCurrentMedia();
}

void AlbumBrowser::extractCurrentMedia() {
    if (!m_recordset || m_recordset->knownCount() == 0)
        return;
    // The clip or sound of the record shown before ends.
    if (m_player)
        m_player->close();
    AlbumStatus status = m_recordset->moveTo(m_open.CurrentRow - 1);
    const auto row = status.ok() ? m_recordset->current(&status) : std::nullopt;
    if (!row) {
        m_prompts.beep();
        m_prompts.msgBox(status.text(), MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: GetOLEImages)"));
        return;
    }
    CurrentRecordState& current = m_current;
    current.CurrentImageFile = row->imageFile;
    const QString& format = row->imageFormat;
    RecordMedia media;
    media.rowId = row->rowId;
    media.kind = MediaKindOfFormat(format);
    media.name = row->imageFile;
    media.format = format;
    media.source = m_source;
    // The size says whether there is anything to show; the bytes are read where they are shown.
    if (m_album->fieldSize(row->rowId, PictureField::Image) < 1) {
        const QString text =
            media.kind == MediaKind::Gif
                ? QStringLiteral("Error retrieving GIF file from the Image Depository.")
            : media.kind == MediaKind::Video
                ? QStringLiteral("Error retrieving video file from the Image Depository.")
                : QStringLiteral("Error retrieving image file from the Image Depository.");
        m_prompts.msgBox(text, MsgIcon::Critical, QStringLiteral("ERROR"));
        return;
    }
    // A record without a date keeps the one shown before it.
    if (row->date.isValid())
        current.CurrentDate = row->date;
    current.CurrentDescription = row->description;
    current.CurrentFormatName = format.mid(3);
    // A clip's length is kept with its frame, not in the stored text, so older records show it.
    QString length;
    if (media.kind == MediaKind::Video)
        if (const auto jpeg = ReadThumbnail(*m_album, row->rowId))
            if (const auto ms = ClipLengthOfThumbnail(*jpeg))
                length = QStringLiteral(", ") + ClipLengthText(*ms);
    current.CurrentProperties = row->imageProperties + length + QStringLiteral(" (") +
                                current.CurrentFormatName + QLatin1Char(')');
    media.hasSound = row->soundSize > 0;
    m_media = media;
    emit recordShown(m_media);
}

bool AlbumBrowser::playCurrentSound(VideoControl& player) {
    player.stop();
    player.close();
    if (!m_recordset || !m_recordset->hasCurrent() || !m_source) {
        m_playback.SoundPlaying = false;
        return false;
    }
    AlbumStatus status;
    const qint64 rowId = m_recordset->currentRowId();
    const qint64 size = m_album->fieldSize(rowId, PictureField::SoundFile, &status);
    if (size == 0) {
        m_playback.SoundPlaying = false;
        return false;
    }
    if (size < 0) {
        m_prompts.msgBox(QStringLiteral("Error retrieving sound from database."), MsgIcon::Critical,
                         QStringLiteral("ERROR"));
        return false;
    }
    player.load(m_source->openStream(rowId, PictureField::SoundFile), QStringLiteral("sound"));
    player.playFromStart();
    return true;
}

ToolContext ToolContextOf(const AlbumBrowser& browser) {
    ToolContext c;
    c.albumOpen = browser.album() != nullptr;
    c.albumRows = c.albumOpen ? browser.album()->rowCount() : 0;
    c.queryRows = browser.recordset() ? browser.recordset()->knownCount() : 0;
    c.hasCurrent = browser.recordset() && browser.recordset()->hasCurrent();
    c.currentIsClip = browser.media().kind == MediaKind::Video;
    return c;
}

} // namespace q32
