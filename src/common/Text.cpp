#include "common/Text.h"

#include <cmath>

namespace q32 {

QString WithTrailingSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString FileNameOfPath(const QString& path) {
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.mid(cut + 1);
}

double Val(const QString& text, bool* overflow) {
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QString number;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        number += text[i++];
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            number += c;
        else if (c == QLatin1Char('.') && !point) {
            point = true;
            number += c;
        } else
            break;
    }
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (overflow)
        *overflow = !ok && std::isinf(v);
    return ok ? v : 0.0;
}

std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

long long RoundHalfEven(double value) {
    // nearbyint rounds in the current mode, which is to-nearest-even unless someone changed it.
    return static_cast<long long>(std::nearbyint(value));
}

QString FormatThousands(long long value, const QLocale& locale) {
    if (value == 0)
        return {};
    QString sep = locale.groupSeparator();
    if (sep.isEmpty() || locale.language() == QLocale::C)
        sep = QStringLiteral(",");
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3)
        digits.insert(pos, sep);
    return negative ? QLatin1Char('-') + digits : digits;
}

} // namespace q32
