#pragma once
// A prompt service for tests: answers from a script, in order, and fails the running test on a
// prompt nobody expected or on an answer left unused.

#include "platform/prompt/PromptService.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace q32::test {

enum class PromptKind { Message, Input, OpenFile, SaveFile, Folder, Colour, Font, PrintSetup };

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
    // Each expectation names the kind and, optionally, the title it must carry.
    ScriptedPromptService& expectMessage(const QString& title, MsgResult answer = MsgResult::Ok);
    ScriptedPromptService& expectInput(const QString& title, const QString& answer);
    ScriptedPromptService& expectOpenFile(const QString& title, const QString& answer);
    ScriptedPromptService& expectSaveFile(const QString& title, const QString& answer);
    ScriptedPromptService& expectFolder(const QString& title, const QString& answer);
    ScriptedPromptService& expectColour(std::optional<QColor> answer);
    ScriptedPromptService& expectPrintSetup(bool answer);

    // Everything asked so far, in order.
    const QList<Asked>& asked() const { return m_asked; }
    int pending() const { return int(m_script.size()); }
    int beeps() const { return m_beeps; }
    int busyDepth() const { return m_busy; }

    MsgResult message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString pickFolder(const QString& title, const QString& initialDir) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool printSetup() override;
    void beep() override { ++m_beeps; }
    void setBusy(bool busy) override { m_busy += busy ? 1 : -1; }

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
    int m_busy = 0;
};

} // namespace q32::test
