#pragma once
// The About window "AboutPelorus": product name and version, a small animated picture over a
// blue gradient, a summary of the machine, a button that starts the system's information
// program, the project's web address, and the box that turns the opening screen off for later
// starts.

#include <QDialog>
#include <QPixmap>

class QCheckBox;
class QLabel;
class QTimer;

namespace q32 {

class CommandBar;
class PromptService;
struct ProgramState;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(ProgramState& state, PromptService& prompts, QWidget* parent = nullptr);

    // Shows the window modally; OK gives the tool "ID_OpeningScreen" the opening-screen flag.
    static void showModal(ProgramState& state, PromptService& prompts, CommandBar& tools,
                          QWidget* parent);

    // The programs tried by "System Info", first found on the PATH first.
    static const QStringList& systemInfoPrograms();
    // Starts the first system-information program on the PATH, or says none is there.
    void startSystemInfo();

    // The web-address label's link: the user's browser, or a message saying none started.
    void openWebAddress(const QString& address);

    bool animating() const;
    int frameNumber() const { return m_frame; }

signals:
    // OK was pressed: the opening-screen tool takes this checked state.
    void openingScreenChosen(bool show);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNextFrame();
    void toggleAnimation();
    void closeWithOk();

    ProgramState& m_state;
    PromptService& m_prompts;
    QLabel* m_picture;   // Picture1
    QLabel* m_frames[3]; // Picture2, indexes 0..2, never shown themselves
    QTimer* m_timer;     // Timer1
    QCheckBox* m_openingBox;
    int m_frame = 0;
    bool m_stopped = false;
};

} // namespace q32
