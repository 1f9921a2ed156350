#include "shell/records/ImageEditor.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace q32 {

std::optional<EditorCommand> FindImageEditor(const QString& setting, const QString& programDir,
                                             const QString& picture) {
    QString text = setting.trimmed();
    if (text.isEmpty()) {
        const QString tonework = programDir + QStringLiteral("tonework");
        if (QFileInfo(tonework).isExecutable())
            text = tonework;
        else if (!QStandardPaths::findExecutable(QStringLiteral("gimp")).isEmpty())
            // A running GIMP would take the file and return at once: ask for an instance of
            // its own, whose end means the editing is done.
            text = QStringLiteral("gimp --new-instance %f");
        else
            return std::nullopt;
    }
    EditorCommand command;
    // A path with blanks names one program, quoted or not.
    if (QFileInfo(text).isFile()) {
        command.program = text;
        return command;
    }
    QStringList parts = QProcess::splitCommand(text);
    if (parts.isEmpty())
        return std::nullopt;
    command.program = parts.takeFirst();
    command.arguments = parts.replaceInStrings(QStringLiteral("%f"), picture);
    return command;
}

EditorRun::EditorRun(QObject* parent) : QObject(parent) {}

EditorRun::~EditorRun() {
    if (m_process) {
        // The program is closing: the editor ends with it, quietly.
        m_process->disconnect(this);
        delete m_process;
    }
    if (!m_flag.isEmpty())
        QFile::remove(m_flag);
}

bool EditorRun::start(const EditorCommand& command, const QString& folder) {
    m_flag = folder + QLatin1Char('/') + QLatin1String(kEditorHandShake);
    QFile f(m_flag);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate,
               QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        f.write("READY\n");
    f.close();

    m_process = new QProcess(this);
    m_process->setProgram(command.program);
    m_process->setArguments(command.arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON32_HOME"), folder);
    m_process->setProcessEnvironment(env);
    connect(m_process, &QProcess::finished, this, [this] {
        QFile::remove(m_flag);
        m_process->deleteLater();
        m_process = nullptr;
        emit finished();
    });
    m_process->start();
    // Only the start is waited for; the editor's end comes as a signal.
    if (!m_process->waitForStarted(10000)) {
        m_error = m_process->errorString();
        m_process->disconnect(this);
        delete m_process;
        m_process = nullptr;
        QFile::remove(m_flag);
        return false;
    }
    return true;
}

} // namespace q32
