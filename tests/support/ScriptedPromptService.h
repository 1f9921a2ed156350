#pragma once
// A prompt service for tests: answers from a script, in order, and fails the running test on a
// prompt nobody expected, on a prompt of the wrong kind or title, and, when it goes out of
// scope, on an answer left unused or a busy pointer left on.

#include "platform/prompt/PromptService.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace q32::test {

enum class PromptKind {
    Message,
    Input,
    OpenFile,
    SaveFile,
    Folder,
    Colour,
    Font,
    PrintSetup,
    Password,
    NewPassword
};

struct Asked {
    PromptKind kind;
    QString title;
    QString text;  // message text or input prompt
    int style = 0; // message style number
    QString defaultText;
    FileDialogRequest file;
};

class ScriptedPromptService : public PromptService {
public:
    ScriptedPromptService() = default;
    ~ScriptedPromptService() override;
    ScriptedPromptService(const ScriptedPromptService&) = delete;
    ScriptedPromptService& operator=(const ScriptedPromptService&) = delete;

    // Each expectation names the kind and, optionally, the title it must carry.
    ScriptedPromptService& expectMessage(const QString& title, MsgResult answer = MsgResult::Ok);
    ScriptedPromptService& expectInput(const QString& title, const QString& answer);
    ScriptedPromptService& expectOpenFile(const QString& title, const QString& answer);
    ScriptedPromptService& expectSaveFile(const QString& title, const QString& answer);
    ScriptedPromptService& expectFolder(const QString& title, const QString& answer);
    ScriptedPromptService& expectColour(std::optional<QColor> answer);
    ScriptedPromptService& expectPrintSetup(bool answer);
    // nullopt answers as the password window closed by its frame.
    ScriptedPromptService& expectPassword(const QString& albumPath, std::optional<QString> answer);
    // The confirmed new password; nullopt answers as Cancel.
    ScriptedPromptService& expectNewPassword(const QString& title, std::optional<QString> answer);

    // Fails the running test when answers are left or the busy pointer is on; true when all
    // is well. Runs by itself when the service goes out of scope.
    bool verifyDone();

    // Sees each prompt as it is asked, on the asking thread, before it is answered (a person
    // reading a message keeps the window's events running meanwhile).
    std::function<void(const Asked&)> onAsked;

    // Everything asked so far, in order.
    const QList<Asked>& asked() const { return m_asked; }
    int pending() const { return int(m_script.size()); }
    int beeps() const { return m_beeps; }

    MsgResult message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString pickFolder(const QString& title, const QString& initialDir) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool printSetup() override;
    std::optional<QString> askPassword(const QString& albumPath) override;
    std::optional<QString> askNewPassword(const QString& title, const QString& prompt) override;
    void beep() override { ++m_beeps; }

private:
    struct Step {
        PromptKind kind;
        QString title;
        QVariant answer;
    };
    QVariant next(const Asked& asked);

    QList<Step> m_script;
    QList<Asked> m_asked;
    int m_beeps = 0;
};

} // namespace q32::test
