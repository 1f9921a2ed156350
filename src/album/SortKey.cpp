#include "album/SortKey.h"

#include <QChar>
#include <QList>
#include <QString>

namespace q32 {
namespace {

// Byte values with a meaning of their own: no character's UTF-8 uses them.
constexpr char kLevelEnd = 0x00; // between the three parts of a key
constexpr char kSlotEnd = 0x01;  // after each character's accents
constexpr char kNumber = 0x30;   // a run of digits, like the digit "0" itself
constexpr char kPlain = 0x01;    // tertiary: lower case or no case
constexpr char kCapital = 0x02;  // tertiary: upper or title case

bool isMark(char32_t c) {
    const auto category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The length of a number as two bytes that sort like the length and are never 0x00.
void appendLength(QByteArray& out, qsizetype length) {
    out += char(1 + std::min<qsizetype>(length / 255, 254));
    out += char(1 + length % 255);
}

} // namespace

QByteArray NameSortKey(QStringView text) {
    // Compatibility decomposition: "é" is "e" and an accent, "ﬁ" is "fi", "①" is "1".
    const QList<uint> points = text.toString().normalized(QString::NormalizationForm_KD).toUcs4();
    QByteArray primary;
    QByteArray secondary;
    QByteArray tertiary;
    primary.reserve(points.size() + 8);
    bool slotOpen = false;
    auto openSlot = [&] {
        if (slotOpen)
            secondary += kSlotEnd;
        slotOpen = true;
    };
    for (qsizetype i = 0; i < points.size(); ++i) {
        const char32_t c = points.at(i);
        if (c == 0)
            continue;
        if (isMark(c)) {
            appendUtf8(secondary, c);
            continue;
        }
        openSlot();
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            // A number counts by its value: its length without leading zeros, then its digits.
            qsizetype end = i;
            while (end < points.size() &&
                   QChar::category(char32_t(points.at(end))) == QChar::Number_DecimalDigit)
                ++end;
            qsizetype first = i;
            while (first < end - 1 && QChar::digitValue(char32_t(points.at(first))) == 0)
                ++first;
            primary += kNumber;
            appendLength(primary, end - first);
            for (qsizetype d = first; d < end; ++d)
                primary += char('0' + QChar::digitValue(char32_t(points.at(d))));
            // "7" before "07": fewer leading zeros first.
            secondary += char(2 + std::min<qsizetype>(first - i, 250));
            tertiary += kPlain;
            i = end - 1;
            continue;
        }
        const char32_t folded = QChar::toCaseFolded(c);
        if (folded == 0xDF) { // sharp s reads as "ss"
            primary += "ss";
        } else {
            appendUtf8(primary, folded);
        }
        tertiary += folded != c || c == 0x1E9E ? kCapital : kPlain;
    }
    if (slotOpen)
        secondary += kSlotEnd;
    QByteArray key = primary;
    key.reserve(primary.size() + secondary.size() + tertiary.size() + 2);
    key += kLevelEnd;
    key += secondary;
    key += kLevelEnd;
    key += tertiary;
    return key;
}

int SortKeyVersion() {
    return kSortKeyAlgorithm * 1000 + int(QChar::currentUnicodeVersion());
}

} // namespace q32
