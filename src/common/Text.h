#pragma once
// Small text and number helpers shared by every window.

#include <QLocale>
#include <QString>
#include <optional>

namespace q32 {

// The folder with a "/" at its end; an empty folder stays empty.
QString WithTrailingSlash(QString folder);

// The text after the path's last "/"; empty when the path holds none.
QString FileNameOfPath(const QString& path);

// Leading-number conversion: leading blanks, a sign, digits and one decimal point are read;
// anything else ends the number. "" gives 0, "12abc" gives 12. A number too large for a double
// gives 0 and sets *overflow when given.
double Val(const QString& text, bool* overflow = nullptr);

// A whole number typed in a box, blanks around it allowed; nothing for any other text.
std::optional<int> WholeNumber(const QString& text);

// Rounds to the nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
long long RoundHalfEven(double value);

// Formats with thousands separators the way the patterns "#,##", "#,###" and "###,###" do:
// 1234567 -> "1,234,567", and 0 -> "" (those patterns print nothing for zero).
QString FormatThousands(long long value, const QLocale& locale = QLocale());

} // namespace q32
