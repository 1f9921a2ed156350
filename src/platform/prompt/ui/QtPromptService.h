#pragma once
// Real Qt dialogs owned by a parent window. The program's own service (src/shell) adds the
// password window.

#include "platform/prompt/PromptService.h"

#include <QPointer>
#include <QWidget>

namespace q32 {

class QtPromptService : public PromptService {
public:
    explicit QtPromptService(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    QWidget* parentWidget() const { return m_parent; }
    // The window a question opens over: the topmost modal window when one is open (the save
    // options, the full-screen viewer), so that the question is in front of it; else the parent.
    QWidget* owner() const;

    MsgResult message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString pickFolder(const QString& title, const QString& initialDir) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool printSetup() override;
    bool printerSettings(QPrinter& printer) override;
    std::optional<QString> askNewPassword(const QString& title, const QString& prompt) override;
    void beep() override;

protected:
    void showBusy(bool busy) override;

    // The normal pointer while a question waits for its answer, even inside busy work.
    class NormalPointer {
    public:
        NormalPointer();
        ~NormalPointer();
        NormalPointer(const NormalPointer&) = delete;
        NormalPointer& operator=(const NormalPointer&) = delete;
    };

private:
    QPointer<QWidget> m_parent;
};

} // namespace q32
