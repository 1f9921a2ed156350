#pragma once
// The prompt service the program uses: real Qt dialogs owned by a parent window.

#include "platform/prompt/PromptService.h"

#include <QPointer>
#include <QWidget>

namespace q32 {

class QtPromptService : public PromptService {
public:
    explicit QtPromptService(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    MsgResult message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString pickFolder(const QString& title, const QString& initialDir) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool printSetup() override;
    bool printerSettings(QPrinter& printer) override;
    void beep() override;
    void setBusy(bool busy) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace q32
