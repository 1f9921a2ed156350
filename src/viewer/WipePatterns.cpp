#include "viewer/WipePatterns.h"

#include "common/AppPaths.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "viewer/SlideshowValues.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace q32 {
namespace {

// The list ends at this position; a pattern beyond it is never used.
constexpr int kLastPosition = 1971;

int entryNumber(const QString& text) {
    return int(Val(text.left(4)));
}

} // namespace

QString ParseEffectDelay(const QString& entryText) {
    const int open = entryText.indexOf(QLatin1Char('['));
    const int close = entryText.indexOf(QLatin1Char(']'));
    if (open < 0 || close < 0)
        return QStringLiteral("5");
    return entryText.mid(open + 1, close - open - 1);
}

QList<WipeEntry> ReadWipeCatalogue(const QString& path,
                                   const std::function<bool(const QString&)>& onLine) {
    QList<WipeEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (onLine && !onLine(line))
            break;
        const int first = line.indexOf(QLatin1Char(','));
        const int second = first < 0 ? -1 : line.indexOf(QLatin1Char(','), first + 1);
        if (first < 0 || second < 0 || second >= 255)
            continue;
        entries.append(
            {line.left(first) + QStringLiteral(") ") + line.mid(first + 1, second - first - 1),
             int(Val(line.mid(second + 1)))});
    }
    return entries;
}

void WipeSelection::insertSorted(QList<WipeEntry>& list, WipeEntry entry) {
    auto at = std::upper_bound(list.begin(), list.end(), entry,
                               [](const WipeEntry& a, const WipeEntry& b) {
                                   return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
                               });
    list.insert(at, std::move(entry));
}

void WipeSelection::setCatalogue(QList<WipeEntry> entries) {
    m_catalogueLines = int(entries.size());
    m_available.clear();
    for (WipeEntry& e : entries)
        insertSorted(m_available, std::move(e));
}

void WipeSelection::readSelection(const QString& path) {
    m_selected.clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine();
            const int comma = line.indexOf(QLatin1Char(','));
            if (comma < 0)
                continue;
            insertSorted(m_selected, {line.left(comma), int(Val(line.mid(comma + 1)))});
        }
    }
    m_selectedCount = int(m_selected.size());
}

bool WipeSelection::writeSelection(const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner); // the user's alone
    QTextStream out(&file);
    m_selectedCount = 0;
    int j = 0;
    for (int i = 0; i < m_catalogueLines; ++i) {
        while (j < m_selected.size() && entryNumber(m_selected[j].text) == i) {
            // A whole number is printed with a blank where a plus sign would be.
            out << m_selected[j].text << ", " << m_selected[j].pattern << '\n';
            ++j;
            ++m_selectedCount;
        }
    }
    out.flush();
    return file.commit();
}

void WipeSelection::select(int availableIndex, int delay) {
    if (availableIndex < 0 || availableIndex >= m_available.size())
        return;
    const WipeEntry& entry = m_available[availableIndex];
    const QString text = entry.text + QStringLiteral(" [%1]").arg(delay);
    for (const WipeEntry& s : m_selected)
        if (s.text.compare(text, Qt::CaseInsensitive) == 0)
            return;
    insertSorted(m_selected, {text, entry.pattern});
}

void WipeSelection::selectAll() {
    for (WipeEntry& e : m_available)
        insertSorted(m_selected, std::move(e));
    m_available.clear();
}

void WipeSelection::deselectAll() {
    m_selected.clear();
}

void WipeSelection::remove(int selectedIndex) {
    if (selectedIndex >= 0 && selectedIndex < m_selected.size())
        m_selected.removeAt(selectedIndex);
}

void WipeSelection::setDelay(int selectedIndex, int delay) {
    if (selectedIndex < 0 || selectedIndex >= m_selected.size())
        return;
    WipeEntry entry = m_selected.takeAt(selectedIndex);
    const int open = entry.text.indexOf(QLatin1Char('['));
    // An entry added by "Select All" has no brackets yet: it gets them.
    entry.text = open < 0 ? entry.text + QStringLiteral(" [%1]").arg(delay)
                          : entry.text.left(open + 1) + QString::number(delay) + QLatin1Char(']');
    insertSorted(m_selected, std::move(entry));
}

bool LoadWipePatterns(WipeSelection& selection, const QString& appDir, Settings& settings,
                      SlideshowValues& values,
                      const std::function<bool(const QString&)>& progress) {
    QString catalogue = appDir + QStringLiteral("Effects.txt");
    if (!QFile::exists(catalogue))
        catalogue = ShareDir() + QStringLiteral("/Effects.txt");
    bool stopped = false;
    const QList<WipeEntry> entries = ReadWipeCatalogue(catalogue, [&](const QString& line) {
        stopped = progress && !progress(QStringLiteral("BUSY: Loading wipe patterns (") + line +
                                        QStringLiteral(")..."));
        return !stopped;
    });
    if (stopped)
        return false;
    selection.setCatalogue(entries);
    values.EffectDelay = settings.get(key::EffectDelay);
    selection.readSelection(appDir + QStringLiteral("Effects2.txt"));
    return true;
}

WipeChooser::Choice WipeChooser::next(const WipeSelection& selection, bool randomWipes,
                                      const std::function<double()>& random) {
    const QList<WipeEntry>& list = selection.selected();
    if (randomWipes) {
        if (list.isEmpty())
            return {};
        // Halves to the even neighbour: the first and last positions come half as often.
        m_position = int(RoundHalfEven((selection.selectedCount() - 1) * random()));
    } else {
        ++m_position;
        if (m_position == list.size())
            m_position = 0;
    }
    if (m_position > kLastPosition || m_position < 0 || m_position >= list.size())
        return {};
    const WipeEntry& entry = list[m_position];
    return {entry.pattern, int(Val(ParseEffectDelay(entry.text)))};
}

} // namespace q32
