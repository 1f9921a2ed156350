#pragma once
// q32 run as a script runs it (header only: for tests whose target defines Q32_BINARY).

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>

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

#ifdef COMMIT_HOLD_LIBRARY
// Runs q32 with the CommitHold library (tests/album/CommitHold.c) frozen at hold, e.g.
// "reported:3", and kills it there. What it wrote to standard error; without "q32-hold" in it
// when it never got there.
inline QByteArray RunQ32KilledAt(const QStringList& args, const char* hold) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", COMMIT_HOLD_LIBRARY);
    env.insert("Q32_HOLD", hold);
    // A sanitizer build wants its runtime first; the hold library comes before it.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(Q32_BINARY), args);
    if (!p.waitForStarted())
        return {};
    QByteArray report;
    QElapsedTimer clock;
    clock.start();
    while (!report.contains("q32-hold") && clock.elapsed() < 60000 &&
           p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        report += p.readAllStandardError();
    }
    if (p.processId() > 0)
        ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished();
    return report;
}
#endif

} // namespace q32::test
