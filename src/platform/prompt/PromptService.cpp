#include "platform/prompt/PromptService.h"

#include <QRegularExpression>

namespace q32 {

MessageRequest MessageRequest::fromStyle(const QString& text, int style, const QString& title) {
    MessageRequest r;
    r.text = text;
    r.title = title;
    r.buttons = static_cast<MsgButtons>(style & 0x7);
    r.icon = static_cast<MsgIcon>(style & 0x70);
    r.defaultButton = ((style >> 8) & 0x3) + 1;
    return r;
}

int MessageRequest::style() const {
    return static_cast<int>(buttons) | static_cast<int>(icon) | ((defaultButton - 1) << 8);
}

QString FileDialogRequest::qtFilter() const {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses, so a name like
        // "Files (*.mdb)" must not show them twice.
        if (trailingPatterns.match(name).hasMatch())
            name.remove(trailingPatterns);
        out << QStringLiteral("%1 (%2)").arg(name.trimmed(), patterns);
    }
    return out.join(QStringLiteral(";;"));
}

void FileDialogRequest::applyFlags(int flags) {
    confirmOverwrite = flags & 2;
    mustExist = flags & 4096;
}

} // namespace q32
