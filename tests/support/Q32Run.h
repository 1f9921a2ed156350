#pragma once
// q32 run as a script runs it (header only: for tests whose target defines Q32_BINARY).

#include <QProcess>
#include <QString>
#include <QStringList>

namespace q32::test {

struct Q32Result {
    int exitCode = -1; // -1 when q32 crashed or did not end in time
    QString out;
    QString err;
};

// Runs program with input on its standard input, which is then closed unless keepInputOpen (a
// question waiting for an answer would then hang until the time is up).
inline Q32Result RunProgram(const QString& program, const QStringList& args,
                            const QByteArray& input = {}, bool keepInputOpen = false,
                            int timeoutMs = 300000) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    if (!keepInputOpen)
        p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline Q32Result RunQ32(const QStringList& args, const QByteArray& input = {},
                        bool keepInputOpen = false, int timeoutMs = 300000) {
    return RunProgram(QStringLiteral(Q32_BINARY), args, input, keepInputOpen, timeoutMs);
}

} // namespace q32::test
