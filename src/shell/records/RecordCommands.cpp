#include "shell/records/RecordCommands.h"

#include "album/AlbumMedia.h"
#include "album/AlbumRecordset.h"
#include "album/add/AddRecord.h"
#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "common/WhenReady.h"
#include "formats/FormatTable.h"
#include "output/export/ExportFormats.h"
#include "output/export/ExportJob.h"
#include "platform/imaging/InMemoryFile.h"
#include "platform/prompt/PromptService.h"
#include "shell/records/ImageEditor.h"

#include <QDir>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace q32 {
namespace {

const QString kWarning = QStringLiteral("WARNING");

ImagingCondition InfoOf(const QByteArray& bytes, ImageInfo& info) {
    const imaging::InMemoryFile file("quillon-export", bytes);
    return file.ok() ? ReadImageInfo(file.path(), info) : ImagingCondition::Failure;
}

// Whether the format numbered formatIndex writes files with the extension, in any flavor.
bool FormatWritesExtension(int formatIndex, const QString& extension) {
    const ExportFormat* format = ExportFormatByIndex(formatIndex);
    return format && std::any_of(format->flavors.cbegin(), format->flavors.cend(),
                                 [&](const ExportFlavor& flavor) {
                                     return ExtensionFitsCode(extension, flavor.code);
                                 });
}

// The properties line of a picture file, as an added record gets it.
QString PropertiesOf(qint64 size, const ImageInfo& info) {
    int bits = info.bitsPerPixel == 48 ? 24 : info.bitsPerPixel == 64 ? 32 : info.bitsPerPixel;
    const qint64 colours = bits <= 0 || bits > 32 ? 0 : qint64(1) << bits;
    return SizeText(size) + DimensionText(info.width, info.height) + ColourText(colours);
}

} // namespace

RecordCommands::RecordCommands(const ProgramPaths& paths, OpenAlbumState& album,
                               CurrentRecordState& record, Settings& settings,
                               PromptService& prompts, RecordSite& site)
    : m_paths(paths), m_open(album), m_record(record), m_settings(settings), m_prompts(prompts),
      m_site(site) {}

RecordCommands::~RecordCommands() {
    // An editor still running ends with the program; what was handed to it goes.
    delete m_editor;
    PrivateFiles::remove(QLatin1String(kEditorPicture));
}

bool RecordCommands::syncCurrent() {
    AlbumRecordset* records = m_site.records();
    if (!m_site.album() || !records || records->knownCount() == 0)
        return false;
    return records->moveTo(m_open.CurrentRow - 1).ok();
}

void RecordCommands::unexpected(const AlbumStatus& status, const char* procedure) {
    m_prompts.msgBox(
        status.text(), MsgIcon::Critical,
        QStringLiteral("UNEXPECTED ERROR! (PELORUS: %1)").arg(QLatin1String(procedure)));
}

void RecordCommands::editTexts() {
    if (!syncCurrent())
        return; // no record: the status line is empty
    AlbumRecordset& records = *m_site.records();
    AlbumStatus status;
    const auto row = records.current(&status);
    if (!row)
        return unexpected(status, "Label2_Click");
    // An empty answer or Cancel keeps that field; the other prompts still follow.
    PictureRecord edited = *row;
    QString answer = m_prompts.input(QStringLiteral("Enter description:"),
                                     QStringLiteral("IMAGE DESCRIPTION"), row->description);
    if (!answer.isEmpty())
        edited.description = answer;
    answer = m_prompts.input(QStringLiteral("Enter image file name:"),
                             QStringLiteral("IMAGE FILE NAME"), row->imageFile);
    if (!answer.isEmpty())
        edited.imageFile = answer;
    answer = m_prompts.input(QStringLiteral("Enter keywords:"), QStringLiteral("KEYWORDS"),
                             row->keywords);
    if (!answer.isEmpty())
        edited.keywords = answer;
    const auto unchanged = [&] {
        return edited.description == row->description && edited.imageFile == row->imageFile &&
               edited.keywords == row->keywords;
    };
    if (unchanged())
        return;
    // One update for the three fields. A name another picture has (in an album that refuses
    // duplicates) is asked again; the description and keywords typed stay meanwhile.
    for (;;) {
        status = records.updateCurrent(edited);
        if (status.condition != AlbumCondition::DuplicateKey)
            break;
        m_prompts.msgBox(QStringLiteral("Another picture in this album is already named \"%1\", "
                                        "and this album does not allow two pictures of the same "
                                        "name.\n\nType another name, or Cancel to keep \"%2\".")
                             .arg(edited.imageFile, row->imageFile),
                         MsgIcon::Exclamation, kWarning);
        const QString another =
            m_prompts.input(QStringLiteral("Enter image file name:"),
                            QStringLiteral("IMAGE FILE NAME"), edited.imageFile);
        edited.imageFile = another.isEmpty() ? row->imageFile : another;
        if (unchanged())
            return;
    }
    if (!status.ok()) {
        if (status.condition != AlbumCondition::Cancelled)
            unexpected(status, "Label2_Click");
        return;
    }
    m_record.CurrentDescription = edited.description;
    m_record.CurrentImageFile = edited.imageFile;
    m_site.recordChanged(records.position());
}

void RecordCommands::deleteCurrentRecord() {
    if (m_open.RecordCount == 1) {
        m_prompts.msgBox(
            QStringLiteral("The last image in the Image Depository cannot be removed!"),
            MsgIcon::Exclamation, kWarning);
        return;
    }
    if (m_prompts.msgBox(
            QStringLiteral("Are you sure you want to remove the current image from this album?"),
            MsgIcon::Critical, kWarning, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (!syncCurrent())
        return; // no current record: nothing to remove
    m_site.hidePreview();
    const AlbumStatus status = m_site.records()->deleteCurrent();
    if (!status.ok()) {
        if (status.condition != AlbumCondition::NoCurrentRecord &&
            status.condition != AlbumCondition::Cancelled) {
            m_prompts.beep();
            unexpected(status, "DeleteImage");
        }
        // The record is still there: show it again.
        m_site.showCurrentRecord();
        return;
    }
    m_open.CurrentRow = 1;
    m_open.RecordCount -= 1;
    if (m_open.RecordCount > 0)
        m_site.reloadRecords();
}

void RecordCommands::attachSound() {
    if (!syncCurrent())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Select Sound File");
    request.filter =
        QStringLiteral("Wave Files (*.wav)|*.wav|MIDI Files (*.mid)|*.mid|All Files (*.*)|*.*");
    request.initialDir = ResolvePathCase(m_settings.get(key::AlbumsDir));
    request.applyFlags(4100);
    const QString chosen = m_prompts.openFile(request);
    if (chosen.isEmpty())
        return;

    BusyGuard busy(m_prompts);
    AlbumRecordset& records = *m_site.records();
    AlbumStatus status;
    auto row = records.current(&status);
    if (row) {
        row->soundType = SoundTypeOf(chosen);
        status = records.updateCurrentWithFile(*row, PictureField::SoundFile, chosen);
    }
    if (!status.ok()) {
        if (status.condition != AlbumCondition::Cancelled)
            unexpected(status, "AttachSound");
        return;
    }
    m_site.showSoundIndicator();
    m_site.recordChanged(records.position());
}

void RecordCommands::exportCurrentPicture() {
    if (m_record.CurrentImageFile.isEmpty() || !syncCurrent())
        return;
    AlbumRecordset& records = *m_site.records();
    AlbumStatus status;
    const auto row = records.current(&status);
    if (!row)
        return unexpected(status, "ExportImage");
    if (IsClipFormat(row->imageFormat)) {
        m_prompts.msgBox(QStringLiteral("A video clip cannot be exported as a picture."),
                         MsgIcon::Exclamation, kWarning);
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Save Image As...");
    request.filter = QStringLiteral("All Files|*.*");
    request.fileName = row->imageFile;
    // Where the last export went, else the albums' folder.
    request.initialDir = !m_lastExportDir.isEmpty()
                             ? m_lastExportDir
                             : ResolvePathCase(m_settings.get(key::AlbumsDir));
    request.applyFlags(2050);
    const QString target = m_prompts.saveFile(request);
    if (target.isEmpty())
        return;
    m_lastExportDir = QFileInfo(target).absolutePath() + QLatin1Char('/');
    AlbumMedia* media = m_site.media();
    if (!media)
        return;
    // Read off this thread; the record may change meanwhile, the picture asked for does not.
    ++m_working;
    auto busy = std::make_shared<BusyGuard>(m_prompts);
    WhenReady(&m_context, media->read(records.currentRowId(), PictureField::Image),
              [this, target, busy](const QByteArray& picture) mutable {
                  busy.reset();
                  saveExport(picture, target);
                  --m_working;
              });
}

void RecordCommands::saveExport(const QByteArray& picture, const QString& target) {
    if (picture.isEmpty()) {
        m_prompts.msgBox(QStringLiteral("Error retrieving image file from the Image Depository."),
                         MsgIcon::Critical, QStringLiteral("ERROR"));
        return;
    }
    ImageInfo info;
    InfoOf(picture, info);
    // A typed extension of a format on offer picks that format, unless the one used last writes
    // such files too (".tif" keeps TIFF LZW).
    const QString typedExtension = QFileInfo(target).suffix();
    int startFormat = m_lastFormat;
    if (const auto named = ExportFormatForExtension(typedExtension);
        named && !FormatWritesExtension(m_lastFormat, typedExtension))
        startFormat = *named;
    const SaveChoice choice =
        askSaveOptions ? askSaveOptions(startFormat, m_lastAppend, info) : SaveChoice{};
    if (!choice.accepted)
        return;
    m_lastFormat = choice.formatIndex;
    m_lastAppend = choice.append;

    // Another format chosen than the name says: the name follows the format.
    QString written = target;
    if (!ExtensionFitsCode(typedExtension, choice.save.formatCode)) {
        written = FileNameForFormat(target, choice.save.formatCode);
        if (QFileInfo::exists(written) &&
            m_prompts.msgBox(FileNameOfPath(written) +
                                 QStringLiteral(" already exists.\nDo you want to replace it?"),
                             MsgIcon::Exclamation, QStringLiteral("Save Image As..."),
                             MsgButtons::YesNo) != MsgResult::Yes)
            return;
    }

    // Decoded from memory and written on a worker; only the chosen file is written.
    ++m_working;
    auto busy = std::make_shared<BusyGuard>(m_prompts);
    m_site.setBusyCaption(QStringLiteral("BUSY: Saving ") + FileNameOfPath(written) +
                          QStringLiteral("..."));
    WhenReady(&m_context,
              QtConcurrent::run([picture, written, save = choice.save, stamp = choice.stamp] {
                  const imaging::InMemoryFile source("quillon-export", picture);
                  return source.ok() ? ExportPicture(source.path(), written, save, stamp)
                                     : ImagingCondition::Failure;
              }),
              [this, written, busy](ImagingCondition result) mutable {
                  m_site.setBusyCaption(QString());
                  busy.reset();
                  --m_working;
                  if (result != ImagingCondition::None)
                      m_prompts.msgBox(QStringLiteral("Error Code = %1\n\n%2")
                                           .arg(ConditionNumber(result))
                                           .arg(ConditionText(result)),
                                       MsgIcon::Critical,
                                       QStringLiteral("ERROR SAVING ") + written.toUpper());
              });
}

void RecordCommands::editPictureExternally() {
    if (!syncCurrent())
        return;
    AlbumRecordset& records = *m_site.records();
    AlbumStatus status;
    const auto row = records.current(&status);
    if (!row)
        return unexpected(status, "C_ImageProcessing");
    if (IsClipFormat(row->imageFormat)) {
        m_prompts.msgBox(QStringLiteral("Cannot process video file."), MsgIcon::Exclamation,
                         kWarning);
        return;
    }
    if (m_editor)
        return; // the records are locked while an editor runs
    const QString folder = PrivateFiles::folder();
    const auto editor = FindImageEditor(m_settings.get(key::ImageProcessor), m_paths.AppDir,
                                        folder + QLatin1Char('/') + QLatin1String(kEditorPicture));
    if (!editor) {
        m_prompts.msgBox(
            QStringLiteral("No image editor is set. Name the program to run as \"ImageProcessor\" "
                           "in the section [Options] of %1, for example:\n\n"
                           "ImageProcessor=gimp --new-instance %f")
                .arg(QDir::toNativeSeparators(m_settings.filePath())),
            MsgIcon::Exclamation, kWarning);
        return;
    }
    AlbumMedia* media = m_site.media();
    if (!media)
        return;
    ++m_working;
    m_site.lockRecords(true);
    m_site.setBusyCaption(QStringLiteral("BUSY: Waiting for the image editor to finish..."));
    const qint64 rowId = records.currentRowId();
    const QString album = m_open.OpenAlbumPath;
    WhenReady(
        &m_context, media->read(rowId, PictureField::Image),
        [this, command = *editor, rowId, album](const QByteArray& picture) {
            // The picture and the hand-shake file exist only while the editor runs.
            const QString written = PrivateFiles::write(QLatin1String(kEditorPicture), picture);
            m_editor = new EditorRun;
            const bool started = !picture.isEmpty() && !written.isEmpty() &&
                                 m_editor->start(command, QFileInfo(written).absolutePath());
            if (!started) {
                const QString why = picture.isEmpty() ? QStringLiteral("the picture cannot be read")
                                    : written.isEmpty()
                                        ? QStringLiteral("the picture cannot be handed over")
                                        : m_editor->error();
                delete m_editor;
                m_editor = nullptr;
                PrivateFiles::remove(QLatin1String(kEditorPicture));
                m_site.setBusyCaption(QString());
                m_site.lockRecords(false);
                --m_working;
                m_prompts.msgBox(QStringLiteral("The image editor \"%1\" cannot be started: %2")
                                     .arg(command.program, why),
                                 MsgIcon::Critical, QStringLiteral("ERROR"));
                return;
            }
            QObject::connect(m_editor, &EditorRun::finished, &m_context, [this, rowId, album] {
                m_editor->deleteLater();
                m_editor = nullptr;
                m_site.setBusyCaption(QString());
                m_site.lockRecords(false);
                storeEdited(rowId, album);
                PrivateFiles::remove(QLatin1String(kEditorPicture));
                --m_working;
            });
        });
}

// What the editor left: stored in the record it was given, when that record is still there,
// and dated today, changed or not.
void RecordCommands::storeEdited(qint64 rowId, const QString& album) {
    const QString picture =
        PrivateFiles::folder() + QLatin1Char('/') + QLatin1String(kEditorPicture);
    QFile f(picture);
    const QByteArray after = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    f.close();
    if (after.isEmpty())
        return; // the editor took the picture away
    AlbumRecordset* records = m_site.records();
    if (!m_site.album() || !records || m_open.OpenAlbumPath != album ||
        !records->findRowId(rowId).ok())
        return; // the album closed meanwhile: the edit has nowhere to go
    const auto row = records->current();
    if (!row)
        return;
    ImageInfo info;
    const ImagingCondition readable = InfoOf(after, info);
    if (readable != ImagingCondition::None) {
        m_prompts.msgBox(QStringLiteral("The edited picture cannot be read (%1); the record keeps "
                                        "its picture.")
                             .arg(ConditionText(readable)),
                         MsgIcon::Critical, QStringLiteral("ERROR"));
        m_site.showCurrentRecord();
        return;
    }
    m_site.hidePreview();
    PictureRecord edited = *row;
    edited.date = QDate::currentDate();
    edited.imageFormat = FormatText(info.formatCode);
    edited.imageProperties = PropertiesOf(after.size(), info);
    const AlbumStatus status = records->updateCurrentWithFile(edited, PictureField::Image, picture);
    if (!status.ok() && status.condition != AlbumCondition::Cancelled)
        unexpected(status, "C_ImageProcessing");
    if (status.ok())
        m_site.recordChanged(records->position());
    m_site.showCurrentRecord();
}

} // namespace q32
