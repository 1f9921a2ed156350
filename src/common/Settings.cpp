#include "common/Settings.h"

#include "common/PrivateFiles.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace q32 {

namespace {
// A value is kept to what a 255-character buffer holds with its terminator.
constexpr int kMaxValueLength = 254;
} // namespace

Settings::Settings(const QString& iniPath, PromptService* prompts)
    : m_store(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)), m_prompts(prompts) {
    // QSettings replaces the file atomically on sync, so a killed process never leaves half a file.
    m_store->setAtomicSyncRequired(true);
}

Settings::~Settings() = default;

QString Settings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillon32/quillon32.ini");
}

QString Settings::filePath() const {
    return m_store->fileName();
}

QString Settings::sectionOf(const QString& keyPath) {
    const int cut = keyPath.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? keyPath : keyPath.mid(cut + 1);
}

QString Settings::RegGetString(const QString& keyPath, const QString& name) const {
    const QVariant v = m_store->value(sectionOf(keyPath) + QLatin1Char('/') + name);
    // A hand-edited value with an unquoted comma comes back as a list.
    const QString text = v.typeId() == QMetaType::QStringList
                             ? v.toStringList().join(QStringLiteral(", "))
                             : v.toString();
    return text.left(kMaxValueLength);
}

bool Settings::RegPutString(const QString& keyPath, const QString& name, const QString& text) {
    m_store->setValue(sectionOf(keyPath) + QLatin1Char('/') + name, text);
    // The file and its folder are the user's alone; a file replaced on sync keeps its rights.
    if (!m_private)
        KeepPrivate(QFileInfo(m_store->fileName()).absolutePath());
    m_store->sync();
    if (!m_private)
        m_private = KeepPrivate(m_store->fileName());
    if (m_store->status() == QSettings::NoError)
        return true;
    if (m_prompts)
        m_prompts->msgBox(QStringLiteral("Error writing ") + name +
                              QStringLiteral(" in the system registry."),
                          MsgIcon::Critical, QStringLiteral("ERROR"));
    return false;
}

double Settings::number(const QString& keyPath, const QString& name) const {
    return Val(RegGetString(keyPath, name));
}

int Settings::integer(const QString& keyPath, const QString& name) const {
    return static_cast<int>(RoundHalfEven(number(keyPath, name)));
}

} // namespace q32
