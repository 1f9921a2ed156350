#pragma once
// The outside image editor: which program it is, and one run of it on a picture handed over in
// the private runtime folder, with the hand-shake file "dbimfile.txt" (holding "READY" while it
// runs) beside it. The caller's window keeps running meanwhile.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QProcess;

namespace q32 {

// The names the editor finds the picture and the hand-shake under, in the folder it is given.
inline constexpr char kEditorPicture[] = "image.pic";
inline constexpr char kEditorHandShake[] = "dbimfile.txt";

struct EditorCommand {
    QString program;
    QStringList arguments;
};

// The program the "ImageProcessor" setting names, with its arguments; "%f" among them stands for
// the picture's path. An editor given no "%f" finds "image.pic" in the folder QUILLON32_HOME
// names. An empty setting means "tonework" in the program folder when that is there, else GIMP when
// it is installed; nothing when none of these is there.
std::optional<EditorCommand> FindImageEditor(const QString& setting, const QString& programDir,
                                             const QString& picture);

// One run of the editor. The editor is a child of this program: it ends with the run object
// (and so with the program), and its files go with it.
class EditorRun : public QObject {
    Q_OBJECT
public:
    explicit EditorRun(QObject* parent = nullptr);
    ~EditorRun() override;

    // Writes the hand-shake file into folder, where the picture already is, and starts the
    // editor there (QUILLON32_HOME names the folder). False with error() when it cannot start;
    // the hand-shake file is removed then.
    bool start(const EditorCommand& command, const QString& folder);
    QString error() const { return m_error; }

signals:
    // The editor has ended; the hand-shake file is gone.
    void finished();

private:
    QProcess* m_process = nullptr;
    QString m_flag;
    QString m_error;
};

} // namespace q32
