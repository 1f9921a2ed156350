#include "platform/prompt/ui/QtPromptService.h"

#include "platform/prompt/ui/NewPasswordDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace q32 {
namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MsgResult result;
};

QList<ButtonSpec> buttonsFor(MsgButtons b) {
    using SB = QMessageBox::StandardButton;
    switch (b) {
    case MsgButtons::Ok:
        return {{SB::Ok, MsgResult::Ok}};
    case MsgButtons::OkCancel:
        return {{SB::Ok, MsgResult::Ok}, {SB::Cancel, MsgResult::Cancel}};
    case MsgButtons::AbortRetryIgnore:
        return {{SB::Abort, MsgResult::Abort},
                {SB::Retry, MsgResult::Retry},
                {SB::Ignore, MsgResult::Ignore}};
    case MsgButtons::YesNoCancel:
        return {
            {SB::Yes, MsgResult::Yes}, {SB::No, MsgResult::No}, {SB::Cancel, MsgResult::Cancel}};
    case MsgButtons::YesNo:
        return {{SB::Yes, MsgResult::Yes}, {SB::No, MsgResult::No}};
    case MsgButtons::RetryCancel:
        return {{SB::Retry, MsgResult::Retry}, {SB::Cancel, MsgResult::Cancel}};
    }
    return {{SB::Ok, MsgResult::Ok}};
}

QMessageBox::Icon iconFor(MsgIcon i) {
    switch (i) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Texts break their lines with carriage returns as well as line feeds; a label breaks only on
// line feeds.
QString shownText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

QWidget* QtPromptService::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_parent;
}

QtPromptService::NormalPointer::NormalPointer() {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

QtPromptService::NormalPointer::~NormalPointer() {
    QApplication::restoreOverrideCursor();
}

MsgResult QtPromptService::message(const MessageRequest& request) {
    QMessageBox box(iconFor(request.icon),
                    request.title.isEmpty() ? QApplication::applicationName() : request.title,
                    shownText(request.text), QMessageBox::NoButton, owner());
    const auto specs = buttonsFor(request.buttons);
    for (const auto& s : specs)
        box.addButton(s.button);
    const int def = std::clamp(request.defaultButton, 1, int(specs.size())) - 1;
    box.setDefaultButton(specs[def].button);
    // Closing the box by its frame answers like Cancel where there is one.
    box.setEscapeButton(specs.size() == 1 ? specs[0].button : specs.back().button);
    NormalPointer pointer;
    const int clicked = box.exec();
    for (const auto& s : specs)
        if (s.button == clicked)
            return s.result;
    return specs.back().result;
}

QString QtPromptService::input(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    NormalPointer pointer;
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, shownText(prompt), QLineEdit::Normal,
                                               defaultText, &ok);
    return ok ? text : QString();
}

QString QtPromptService::openFile(const FileDialogRequest& request) {
    NormalPointer pointer;
    QFileDialog dialog(owner(), request.title, request.initialDir, request.qtFilter());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPromptService::saveFile(const FileDialogRequest& request) {
    NormalPointer pointer;
    QFileDialog dialog(owner(), request.title, request.initialDir, request.qtFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPromptService::pickFolder(const QString& title, const QString& initialDir) {
    NormalPointer pointer;
    return QFileDialog::getExistingDirectory(owner(), title, initialDir);
}

std::optional<QColor> QtPromptService::chooseColor(const QColor& initial) {
    NormalPointer pointer;
    const QColor c = QColorDialog::getColor(initial, owner());
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> QtPromptService::chooseFont(const QFont& initial) {
    NormalPointer pointer;
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, owner());
    if (!ok)
        return std::nullopt;
    return f;
}

bool QtPromptService::printSetup() {
    if (QPrinterInfo::availablePrinterNames().isEmpty() &&
        QPrinterInfo::defaultPrinter().isNull()) {
        message({QStringLiteral("Unable to open default printer"), QStringLiteral("ERROR"),
                 MsgButtons::Ok, MsgIcon::Critical, 1});
        return false;
    }
    NormalPointer pointer;
    QPrinter printer;
    QPrintDialog dialog(&printer, owner());
    return dialog.exec() == QDialog::Accepted;
}

bool QtPromptService::printerSettings(QPrinter& printer) {
    QPrintDialog dialog(&printer, owner());
    dialog.setWindowTitle(QStringLiteral("Print Settings"));
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> QtPromptService::askNewPassword(const QString& title,
                                                       const QString& prompt) {
    NormalPointer pointer;
    return NewPasswordDialog::ask(title, prompt, owner());
}

void QtPromptService::beep() {
    QApplication::beep();
}

void QtPromptService::showBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace q32
