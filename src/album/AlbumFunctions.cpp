#include "album/AlbumFunctions.h"

#include "album/SortKey.h"
#include "common/Wildcard.h"

#include <memory>

namespace q32::engine {
namespace {

QString textArg(sqlite3_value* value) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return data ? QString::fromUtf8(data, sqlite3_value_bytes(value)) : QString();
}

// A filter pattern, folded once per statement. The filters' usual form, "*text*" with no other
// wildcard, is a plain search; for ASCII on both sides it runs on the stored UTF-8 bytes with
// no conversion, which is what keeps a filter over 100,000 rows fast.
struct Pattern {
    QString folded;
    bool plainSearch = false;
    QString needle;
    QByteArray asciiNeedle; // lower case; empty when the needle is not ASCII
};

Pattern* parsePattern(sqlite3_value* value) {
    auto* pattern = new Pattern;
    pattern->folded = textArg(value).toCaseFolded();
    const QString& f = pattern->folded;
    if (f.size() >= 2 && f.startsWith(u'*') && f.endsWith(u'*')) {
        const QStringView middle = QStringView(f).mid(1, f.size() - 2);
        bool plain = true;
        for (QChar c : middle)
            plain = plain && c != u'*' && c != u'?' && c != u'#' && c != u'[';
        if (plain) {
            pattern->plainSearch = true;
            pattern->needle = middle.toString();
            bool ascii = true;
            for (QChar c : middle)
                ascii = ascii && c.unicode() < 0x80;
            if (ascii)
                pattern->asciiNeedle = pattern->needle.toLatin1();
        }
    }
    return pattern;
}

bool asciiContains(const char* text, int length, const QByteArray& needle) {
    const int n = int(needle.size());
    for (int i = 0; i + n <= length; ++i) {
        int k = 0;
        while (k < n) {
            char c = text[i + k];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            if (c != needle[k])
                break;
            ++k;
        }
        if (k == n)
            return true;
    }
    return false;
}

bool isAscii(const char* text, int length) {
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto* pattern = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 1));
    if (!pattern) {
        pattern = parsePattern(argv[1]);
        sqlite3_set_auxdata(ctx, 1, pattern, [](void* p) { delete static_cast<Pattern*>(p); });
        // SQLite may drop the cache at once; then it is parsed again for the next row.
        pattern = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 1));
        if (!pattern) {
            std::unique_ptr<Pattern> once(parsePattern(argv[1]));
            const QString value = textArg(argv[0]).toCaseFolded();
            sqlite3_result_int(ctx, WildcardMatch(value, once->folded, Wildcards::Album) ? 1 : 0);
            return;
        }
    }
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int length = sqlite3_value_bytes(argv[0]);
    if (pattern->plainSearch && !pattern->asciiNeedle.isEmpty() && isAscii(data, length)) {
        sqlite3_result_int(ctx, asciiContains(data, length, pattern->asciiNeedle) ? 1 : 0);
        return;
    }
    const QString value = QString::fromUtf8(data, length).toCaseFolded();
    const bool match = pattern->plainSearch
                           ? value.contains(pattern->needle)
                           : WildcardMatch(value, pattern->folded, Wildcards::Album);
    sqlite3_result_int(ctx, match ? 1 : 0);
}

void sortKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray key = NameSortKey(textArg(argv[0]));
    sqlite3_result_blob64(ctx, key.constData(), sqlite3_uint64(key.size()), SQLITE_TRANSIENT);
}

} // namespace

void registerFunctions(sqlite::Database& db) {
    // Innocuous: the name order's index may call it even when the schema is not trusted.
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db.handle(), "q32_sortkey1", 1, flags, nullptr, sortKeyFunction,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db.handle(), "q32_like", 2, flags, nullptr, likeFunction, nullptr,
                               nullptr, nullptr);
}

} // namespace q32::engine
