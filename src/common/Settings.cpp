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

QString Settings::nameOf(const char* name, int number) {
    return number < 0 ? QLatin1String(name) : QLatin1String(name) + QString::number(number);
}

QString Settings::storedText(const QString& section, const QString& name) const {
    const QVariant v = m_store->value(section + QLatin1Char('/') + name);
    // A hand-edited value with an unquoted comma comes back as a list.
    const QString text = v.typeId() == QMetaType::QStringList
                             ? v.toStringList().join(QStringLiteral(", "))
                             : v.toString();
    return text.left(kMaxValueLength);
}

bool Settings::storeText(const QString& section, const QString& name, const QString& text) {
    const QString path = section + QLatin1Char('/') + name;
    // A value written again as it stands costs a wait for the disk and changes nothing.
    if (m_store->contains(path) && m_store->value(path).toString() == text)
        return true;
    m_store->setValue(path, text);
    return m_holdWrites > 0 ? true : writeOut(name);
}

bool Settings::inOneWrite(const std::function<void()>& puts, const QString& name) {
    // Each replacement of the file waits for the disk: a group of values goes in one.
    ++m_holdWrites;
    puts();
    return --m_holdWrites > 0 ? true : writeOut(name);
}

bool Settings::writeOut(const QString& name) {
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

QString Settings::get(const TextSetting& key) const {
    const QString text = textOf(key);
    return text.isEmpty() ? QString::fromUtf8(key.fallback) : text;
}

double Settings::get(const NumberSetting& key) const {
    const QString text = textOf(key);
    return text.isEmpty() ? key.fallback : Val(text);
}

int Settings::get(const IntSetting& key) const {
    const QString text = textOf(key);
    return text.isEmpty() ? key.fallback : static_cast<int>(RoundHalfEven(Val(text)));
}

bool Settings::get(const FlagSetting& key) const {
    const QString text = textOf(key);
    return text.isEmpty() ? key.fallback : Val(text) != 0;
}

QColor Settings::get(const ColourSetting& key) const {
    const QString text = textOf(key);
    return ColourFromNumber(text.isEmpty() ? key.fallback : qint64(Val(text)));
}

QPoint Settings::get(const PlaceSetting& key) const {
    return stored(key).value_or(QPoint());
}

std::optional<QPoint> Settings::stored(const PlaceSetting& key) const {
    const IntSetting left{key.section, "Left"};
    if (!isStored(left))
        return std::nullopt;
    return QPoint(get(left), get(IntSetting{key.section, "Top"}));
}

bool Settings::set(const TextSetting& key, const QString& text) {
    return put(key, text);
}

bool Settings::set(const IntSetting& key, int value) {
    return put(key, QString::number(value));
}

bool Settings::set(const NumberSetting& key, double value) {
    return put(key, value == 0 ? QStringLiteral("0") : QString::number(value, 'g', 15));
}

bool Settings::set(const NumberSetting& key, const QString& typed) {
    return put(key, typed);
}

bool Settings::set(const FlagSetting& key, bool on) {
    return put(key, on ? QStringLiteral("-1") : QStringLiteral("0"));
}

bool Settings::set(const ColourSetting& key, const QColor& colour) {
    return put(key, QString::number(NumberFromColour(colour)));
}

bool Settings::set(const PlaceSetting& key, QPoint place) {
    return inOneWrite(
        [&] {
            set(IntSetting{key.section, "Left"}, place.x());
            set(IntSetting{key.section, "Top"}, place.y());
        },
        QStringLiteral("Left"));
}

QRect Settings::mainWindowFrame() const {
    return {get(key::MainPlace), QSize(get(key::MainWidth), get(key::MainHeight))};
}

bool Settings::setMainWindowFrame(const QRect& frame) {
    return inOneWrite(
        [&] {
            set(key::MainPlace, frame.topLeft());
            set(key::MainWidth, frame.width());
            set(key::MainHeight, frame.height());
        },
        QStringLiteral("Width"));
}

QList<int> Settings::gridColumnWidths(int columns) const {
    // Readable columns on a first start, before the user has widened any.
    static constexpr int kFirstStart[] = {90, 0, 190, 200, 240, 170, 260};
    QList<int> widths;
    for (int n = 0; n < columns; ++n)
        widths << (!isStored(key::GridColumn[n]) && n < int(std::size(kFirstStart))
                       ? kFirstStart[n]
                       : get(key::GridColumn[n]));
    return widths;
}

bool Settings::setGridColumnWidths(const QList<int>& widths) {
    return inOneWrite(
        [&] {
            for (int n = 0; n < widths.size(); ++n)
                set(key::GridColumn[n], widths[n]);
        },
        QStringLiteral("Column"));
}

QStringList Settings::recentAlbums() const {
    QStringList entries;
    for (int n = 1; n <= key::RecentAlbumCount; ++n)
        entries << get(key::RecentAlbum[n]);
    return entries;
}

bool Settings::setRecentAlbums(const QStringList& entries) {
    return inOneWrite(
        [&] {
            for (int n = 1; n <= std::min<int>(entries.size(), key::RecentAlbumCount); ++n)
                set(key::RecentAlbum[n], entries[n - 1]);
        },
        QStringLiteral("DBFile"));
}

QColor ColourFromNumber(qint64 n) {
    return QColor(int(n & 0xff), int((n >> 8) & 0xff), int((n >> 16) & 0xff));
}

qint64 NumberFromColour(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * qint64(c.blue());
}

} // namespace q32
