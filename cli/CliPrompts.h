#pragma once
// The prompt service of q32: questions are answered from the command line's options, messages
// go to standard error as one line each, and passwords come from the terminal or stdin.

#include "platform/prompt/PromptService.h"

#include <QStringList>

namespace q32::cli {

// Reads a password from the terminal without echo, or a line from standard input.
QString ReadPassword(const QString& prompt, bool fromStdin);

class CliPrompts : public PromptService {
public:
    bool allowDuplicates = false;
    bool passwordFromStdin = false;
    bool quiet = false;

    // Messages shown so far, for the summary and the exit code.
    const QStringList& messages() const { return m_messages; }

    MsgResult message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest&) override { return {}; }
    QString saveFile(const FileDialogRequest&) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return {}; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    bool printSetup() override { return false; }
    std::optional<QString> askPassword(const QString& albumPath) override;
    // Albums are protected with q32 password, never by the protect question of an add.
    std::optional<QString> askNewPassword(const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep() override {}

private:
    QStringList m_messages;
    bool m_passwordAsked = false;
};

} // namespace q32::cli
