#include "common/Wildcard.h"

namespace q32 {
namespace {

// How many pattern characters the element at p takes when it matches c; 0 when it does not.
qsizetype matchOne(QStringView pattern, qsizetype p, QChar c, Wildcards wildcards) {
    const QChar pc = pattern.at(p);
    if (pc == u'?')
        return 1;
    if (wildcards == Wildcards::Album && pc == u'#')
        return c.isDigit() ? 1 : 0;
    if (wildcards == Wildcards::Album && pc == u'[') {
        const qsizetype close = pattern.indexOf(u']', p + 1);
        if (close >= 0) {
            qsizetype i = p + 1;
            const bool negate = i < close && pattern.at(i) == u'!';
            if (negate)
                ++i;
            bool inSet = false;
            for (; i < close; ++i) {
                if (i + 2 < close && pattern.at(i + 1) == u'-') {
                    inSet = inSet || (c >= pattern.at(i) && c <= pattern.at(i + 2));
                    i += 2;
                } else {
                    inSet = inSet || c == pattern.at(i);
                }
            }
            return inSet != negate ? close - p + 1 : 0;
        }
    }
    return pc == c ? 1 : 0;
}

} // namespace

bool WildcardMatch(QStringView text, QStringView pattern, Wildcards wildcards) {
    // Every element but "*" takes one character, so on a mismatch only the last "*" need take
    // one more: no recursion, linear for the usual patterns.
    qsizetype p = 0, t = 0, afterStar = -1, starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern.at(p) == u'*') {
            afterStar = ++p;
            starText = t;
        } else if (const qsizetype n =
                       p < pattern.size() ? matchOne(pattern, p, text.at(t), wildcards) : 0) {
            p += n;
            ++t;
        } else if (afterStar >= 0) {
            p = afterStar;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace q32
