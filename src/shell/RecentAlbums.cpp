#include "shell/RecentAlbums.h"

#include <QRegularExpression>

namespace q32 {

QString RecentPath(const QString& entry) {
    return entry.mid(3);
}

std::optional<RecentEntries> MoveToFront(const RecentEntries& e, const QString& path) {
    auto same = [&path](const QString& entry) { return RecentPath(entry) == path; };
    if (same(e[0]))
        return std::nullopt;
    RecentEntries out = e;
    auto entry = [](int n, const QString& p) { return QStringLiteral("&%1 ").arg(n) + p; };
    if (same(e[1])) {
        out[1] = entry(2, RecentPath(e[0]));
    } else if (same(e[2])) {
        out[2] = entry(3, RecentPath(e[1]));
        out[1] = entry(2, RecentPath(e[0]));
    } else {
        out[3] = entry(4, RecentPath(e[2]));
        out[2] = entry(3, RecentPath(e[1]));
        out[1] = entry(2, RecentPath(e[0]));
    }
    out[0] = entry(1, path);
    return out;
}

RecentEntries FactoryRecentEntries() {
    RecentEntries out;
    for (int n = 1; n <= 4; ++n)
        out[n - 1] = QStringLiteral("&%1 Database File %1").arg(n);
    return out;
}

bool IsAlbumEntry(const QString& entry) {
    if (!entry.startsWith(QLatin1Char('&')))
        return false;
    const QString path = RecentPath(entry).trimmed();
    // Older lists kept the factory captions in lower case.
    static const QRegularExpression factory(QStringLiteral("^database file [1-4]$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return !path.isEmpty() && !factory.match(path).hasMatch();
}

} // namespace q32
