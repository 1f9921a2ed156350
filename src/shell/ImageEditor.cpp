#include "shell/ImageEditor.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>

namespace q32 {
namespace {

// Whether the process is still running; a zombie nobody reaped has ended too.
bool Running(qint64 pid) {
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

} // namespace

std::optional<EditorCommand> FindImageEditor(const QString& setting, const QString& appDir,
                                             const QString& picture) {
    QString text = setting.trimmed();
    if (text.isEmpty()) {
        const QString tonework = appDir + QStringLiteral("tonework");
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

EditorRun RunAndWait(const EditorCommand& command, const QString& appDir) {
    EditorRun run;
    const QString flag = appDir + QStringLiteral("dbimfile.txt");
    QFile f(flag);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write("READY\n");
    f.close();

    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON32_HOME"), appDir);
    process.setProcessEnvironment(env);
    qint64 pid = 0;
    run.started = process.startDetached(&pid);
    if (!run.started) {
        run.error = process.errorString();
        QFile::remove(flag);
        return run;
    }
    // Detached, the editor is not our child: poll whether it is still there.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!Running(pid))
            loop.quit();
    });
    poll.start(100);
    loop.exec();
    run.ended = !Running(pid);
    QFile::remove(flag);
    return run;
}

} // namespace q32
