#include "album/add/AddRunOpen.h"

#include "album/AlbumMaintenance.h"
#include "platform/prompt/PromptService.h"

#include <QFile>

namespace q32 {
namespace {

const QString kRunError = QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #3)");

} // namespace

AddRunAlbum OpenAlbumForAdding(const QString& path, PromptService& prompts, int& readOnlyFailures) {
    AddRunAlbum run;
    bool triedCreate = false;
    for (;;) {
        AlbumStatus status;
        run.album = AlbumDb::open(path, OpenOptions{false, run.password}, &status);
        if (run.album) {
            run.existingRows = std::max<qint64>(0, run.album->rowCount());
            return run;
        }
        switch (status.condition) {
        case AlbumCondition::FileNotFound: {
            if (triedCreate)
                break;
            triedCreate = true;
            const AlbumStatus created = CreateAlbumAsking(path, prompts);
            if (created.condition == AlbumCondition::FileExists) {
                prompts.beep();
                prompts.msgBox(path + QStringLiteral(" already exists."), MsgIcon::Critical,
                               QStringLiteral("WARNING"));
            } else if (!created.ok()) {
                prompts.beep();
                prompts.msgBox(created.text(), MsgIcon::Critical,
                               QStringLiteral("UNEXPECTED ERROR! (AddImages: CreateDB)"));
                return run;
            }
            run.created = created.ok();
            continue;
        }
        case AlbumCondition::NotAnAlbum:
            prompts.msgBox(QStringLiteral("This is not an Quillon 32 Main."), MsgIcon::Exclamation,
                           QStringLiteral("UNEXPECTED ERROR! (PELORUS6: Command3D4_Click #2)"));
            return run;
        case AlbumCondition::WrongPassword: {
            const QString typed = prompts.input(QStringLiteral("Password:"),
                                                QStringLiteral("SECURED ALBUM"), QString());
            if (typed.isEmpty()) {
                prompts.beep();
                prompts.msgBox(QStringLiteral("Access denied"), MsgIcon::Information,
                               QStringLiteral("WARNING"));
                return run;
            }
            run.protectedAlbum = true;
            run.password = typed;
            continue;
        }
        case AlbumCondition::CannotWrite:
            if (++readOnlyFailures < 2) {
                // Clear the read-only attribute and try once more.
                QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner |
                                                QFileDevice::WriteUser);
                continue;
            }
            prompts.msgBox(path + QStringLiteral(" is read-only."), MsgIcon::Critical,
                           QStringLiteral("ERROR"));
            return run;
        default:
            break;
        }
        prompts.beep();
        prompts.msgBox(status.text(), MsgIcon::Critical, kRunError);
        return run;
    }
}

AlbumStatus ProtectAlbumStep(const QString& path, PromptService& prompts) {
    const std::optional<QString> password =
        prompts.askNewPassword(QStringLiteral("SECURITY"),
                               QStringLiteral("Enter password to protect this Image Depository:"));
    if (!password || password->isEmpty())
        return {};
    const AlbumStatus status = ChangeAlbumPassword(path, QString(), *password);
    if (!status.ok()) {
        prompts.beep();
        prompts.msgBox(status.text(), MsgIcon::Critical, kRunError);
    }
    return status;
}

} // namespace q32
