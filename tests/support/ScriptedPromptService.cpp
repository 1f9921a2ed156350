#include "ScriptedPromptService.h"

#include <QTest>

namespace q32::test {
namespace {

// In the order of PromptKind.
const char* kindName(PromptKind k) {
    static const char* const names[] = {"message",  "input",       "open-file", "save-file",
                                        "folder",   "colour",      "font",      "print-setup",
                                        "password", "new-password"};
    return names[int(k)];
}

} // namespace

ScriptedPromptService::~ScriptedPromptService() {
    // Only inside a running test function can a failure still be recorded.
    if (QTest::currentTestFunction())
        verifyDone();
}

bool ScriptedPromptService::verifyDone() {
    if (!m_script.isEmpty()) {
        const Step& step = m_script.constFirst();
        QTest::qFail(qPrintable(QStringLiteral("%1 scripted answer(s) never asked for, the first: "
                                               "%2 \"%3\"")
                                    .arg(m_script.size())
                                    .arg(QLatin1String(kindName(step.kind)), step.title)),
                     __FILE__, __LINE__);
        return false;
    }
    if (busyDepth() != 0) {
        QTest::qFail(
            qPrintable(QStringLiteral("the busy pointer is still on (depth %1)").arg(busyDepth())),
            __FILE__, __LINE__);
        return false;
    }
    return true;
}

ScriptedPromptService& ScriptedPromptService::expectMessage(const QString& title,
                                                            MsgResult answer) {
    m_script.append({PromptKind::Message, title, QVariant::fromValue(int(answer))});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectInput(const QString& title,
                                                          const QString& answer) {
    m_script.append({PromptKind::Input, title, answer});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectOpenFile(const QString& title,
                                                             const QString& answer) {
    m_script.append({PromptKind::OpenFile, title, answer});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectSaveFile(const QString& title,
                                                             const QString& answer) {
    m_script.append({PromptKind::SaveFile, title, answer});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectFolder(const QString& title,
                                                           const QString& answer) {
    m_script.append({PromptKind::Folder, title, answer});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectColour(std::optional<QColor> answer) {
    m_script.append({PromptKind::Colour, QString(), answer ? QVariant(*answer) : QVariant()});
    return *this;
}
ScriptedPromptService& ScriptedPromptService::expectPrintSetup(bool answer) {
    m_script.append({PromptKind::PrintSetup, QString(), answer});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::expectPassword(const QString& albumPath,
                                                             std::optional<QString> answer) {
    m_script.append({PromptKind::Password, albumPath, answer ? QVariant(*answer) : QVariant()});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::expectNewPassword(const QString& title,
                                                                std::optional<QString> answer) {
    m_script.append({PromptKind::NewPassword, title, answer ? QVariant(*answer) : QVariant()});
    return *this;
}

QVariant ScriptedPromptService::next(const Asked& asked) {
    if (onAsked)
        onAsked(asked);
    m_asked.append(asked);
    const QString what = QStringLiteral("%1 \"%2\": %3")
                             .arg(QLatin1String(kindName(asked.kind)), asked.title, asked.text);
    if (m_script.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected prompt: ") + what), __FILE__, __LINE__);
        return {};
    }
    const Step step = m_script.takeFirst();
    if (step.kind != asked.kind || (!step.title.isNull() && step.title != asked.title)) {
        QTest::qFail(qPrintable(QStringLiteral("expected %1 \"%2\", got %3")
                                    .arg(QLatin1String(kindName(step.kind)), step.title, what)),
                     __FILE__, __LINE__);
        return {};
    }
    return step.answer;
}

MsgResult ScriptedPromptService::message(const MessageRequest& request) {
    const QVariant a =
        next({PromptKind::Message, request.title, request.text, request.style(), {}, {}});
    return a.isValid() ? MsgResult(a.toInt()) : MsgResult::Cancel;
}

QString ScriptedPromptService::input(const QString& prompt, const QString& title,
                                     const QString& defaultText) {
    return next({PromptKind::Input, title, prompt, 0, defaultText, {}}).toString();
}

QString ScriptedPromptService::openFile(const FileDialogRequest& request) {
    return next({PromptKind::OpenFile, request.title, request.filter, 0, request.fileName, request})
        .toString();
}

QString ScriptedPromptService::saveFile(const FileDialogRequest& request) {
    return next({PromptKind::SaveFile, request.title, request.filter, 0, request.fileName, request})
        .toString();
}

QString ScriptedPromptService::pickFolder(const QString& title, const QString& initialDir) {
    return next({PromptKind::Folder, title, initialDir, 0, {}, {}}).toString();
}

std::optional<QColor> ScriptedPromptService::chooseColor(const QColor& initial) {
    const QVariant a = next({PromptKind::Colour, {}, initial.name(), 0, {}, {}});
    if (!a.isValid())
        return std::nullopt;
    return a.value<QColor>();
}

std::optional<QFont> ScriptedPromptService::chooseFont(const QFont&) {
    next({PromptKind::Font, {}, {}, 0, {}, {}});
    return std::nullopt;
}

bool ScriptedPromptService::printSetup() {
    return next({PromptKind::PrintSetup, {}, {}, 0, {}, {}}).toBool();
}

std::optional<QString> ScriptedPromptService::askPassword(const QString& albumPath) {
    // The album's path stands where other prompts have their title.
    const QVariant a = next({PromptKind::Password, albumPath, {}, 0, {}, {}});
    if (!a.isValid())
        return std::nullopt;
    return a.toString();
}

std::optional<QString> ScriptedPromptService::askNewPassword(const QString& title,
                                                             const QString& prompt) {
    const QVariant a = next({PromptKind::NewPassword, title, prompt, 0, {}, {}});
    if (!a.isValid())
        return std::nullopt;
    return a.toString();
}

} // namespace q32::test
