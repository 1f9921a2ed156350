#include "CliPrompts.h"

#include <QTextStream>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace q32::cli {

QString ReadPassword(const QString& prompt, bool fromStdin) {
    QTextStream in(stdin);
    if (fromStdin || !isatty(STDIN_FILENO))
        return in.readLine();
    QTextStream err(stderr);
    err << prompt << Qt::flush;
    termios old{};
    tcgetattr(STDIN_FILENO, &old);
    termios quietMode = old;
    quietMode.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quietMode);
    const QString line = in.readLine();
    tcsetattr(STDIN_FILENO, TCSANOW, &old);
    err << "\n" << Qt::flush;
    return line;
}

MsgResult CliPrompts::message(const MessageRequest& request) {
    // The duplicate question of a new album is answered by --allow-duplicates.
    if (request.buttons == MsgButtons::YesNo || request.buttons == MsgButtons::YesNoCancel)
        return allowDuplicates ? MsgResult::Yes : MsgResult::No;
    QString line = request.text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_messages << line;
    if (!quiet)
        QTextStream(stderr) << "q32: " << line << "\n";
    return request.buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

QString CliPrompts::input(const QString& prompt, const QString& title, const QString& defaultText) {
    if (title == QLatin1String("SECURED ALBUM")) {
        // A second request means the first password was wrong: give up rather than loop.
        if (m_passwordAsked)
            return {};
        m_passwordAsked = true;
        return ReadPassword(prompt + QLatin1Char(' '), passwordFromStdin);
    }
    // Names keep their defaults.
    return defaultText;
}

std::optional<QString> CliPrompts::askPassword(const QString& albumPath) {
    if (m_passwordAsked)
        return QString();
    m_passwordAsked = true;
    return ReadPassword(QStringLiteral("Password for ") + albumPath + QStringLiteral(": "),
                        passwordFromStdin);
}

} // namespace q32::cli
