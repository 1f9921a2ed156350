#pragma once
// Every question the program asks a person goes through this interface: the program answers
// with Qt dialogs, tests with a script, q32 from its options.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;

namespace q32 {

enum class MsgButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    int defaultButton = 1; // 1-based, as in the style number

    // Decodes a message box style number: buttons + icon + 256 * (default button - 1).
    static MessageRequest fromStyle(const QString& text, int style, const QString& title);
    int style() const;
};

struct FileDialogRequest {
    QString title;
    QString filter; // "Name|*.ext|Other|*.a;*.b"
    QString initialDir;
    QString fileName;   // pre-filled name
    QString defaultExt; // without dot
    bool mustExist = false;
    bool confirmOverwrite = false;

    // Qt's form of the filter: "Name (*.ext);;Other (*.a *.b)".
    QString qtFilter() const;
    // The callers' flag numbers: 2 = ask before overwrite, 2048 = path must exist, 4096 = file
    // must exist.
    void applyFlags(int flags);
};

class PromptService {
public:
    virtual ~PromptService() = default;

    virtual MsgResult message(const MessageRequest& request) = 0;
    // Returns the typed text; Cancel gives an empty string.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // Returns the chosen path; an empty string means cancelled.
    virtual QString openFile(const FileDialogRequest& request) = 0;
    virtual QString saveFile(const FileDialogRequest& request) = 0;
    virtual QString pickFolder(const QString& title, const QString& initialDir) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // Shows the printer set-up; false when cancelled or no printer is there.
    virtual bool printSetup() = 0;
    // The printer dialog on one printer, whose settings it changes; false when cancelled.
    // Services without a dialog of their own answer as printSetup() does.
    virtual bool printerSettings(QPrinter& printer) {
        (void)printer;
        return printSetup();
    }
    // Asks for the password of a protected album. Empty when cancelled; nullopt when the
    // question was dismissed without an answer (the window closed by its frame).
    virtual std::optional<QString> askPassword(const QString& albumPath) = 0;
    // Asks for a new password, typed hidden and a second time to confirm: the password when
    // both entries agree, "" when OK was given with nothing typed, nullopt for Cancel.
    virtual std::optional<QString> askNewPassword(const QString& title, const QString& prompt) = 0;
    virtual void beep() = 0;

    // How many BusyGuards are alive; the busy pointer shows while it is above 0.
    int busyDepth() const { return m_busyDepth; }

    // Shorthands for the common message forms.
    MsgResult msgBox(const QString& text, int style, const QString& title) {
        return message(MessageRequest::fromStyle(text, style, title));
    }
    MsgResult msgBox(const QString& text, MsgIcon icon, const QString& title,
                     MsgButtons buttons = MsgButtons::Ok) {
        return message({text, title, buttons, icon, 1});
    }

protected:
    // Turns the busy pointer on or off: called when the first guard starts and the last ends.
    // Every question shows the normal pointer while it waits for its answer.
    virtual void showBusy(bool) {}

private:
    friend class BusyGuard;
    int m_busyDepth = 0;
};

// Shows the busy pointer for the life of the guard; guards nest.
class BusyGuard {
public:
    explicit BusyGuard(PromptService& prompts) : m_prompts(prompts) {
        if (m_prompts.m_busyDepth++ == 0)
            m_prompts.showBusy(true);
    }
    ~BusyGuard() {
        if (--m_prompts.m_busyDepth == 0)
            m_prompts.showBusy(false);
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    PromptService& m_prompts;
};

} // namespace q32
