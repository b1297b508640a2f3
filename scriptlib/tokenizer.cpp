// Blanks and tabs are skipped; a NUL or ";" ends the statement. A word is
// looked up in the name table, then in the extender and host function
// tables; any other word is a variable, created on first sight.
#include "scriptlib/tokenizer.h"

#include <cctype>
#include <cstring>
#include <string_view>

#include "scriptlib/name_table.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

bool is_letter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }
bool is_word(char ch) { return is_letter(ch) || is_digit(ch) || ch == '@' || ch == '_'; }
char lower(char ch) { return ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch; }

// What a character starts.
enum Start : uint8_t { kStartOther, kStartEnd, kStartBlank, kStartDigit, kStartWord, kStartQuote };
struct Starts {
    Start of[256];
    constexpr Starts() : of() {
        of[0] = of[';'] = kStartEnd;
        of[' '] = of['\t'] = kStartBlank;
        for (int ch = '0'; ch <= '9'; ++ch) of[ch] = kStartDigit;
        for (int ch = 'a'; ch <= 'z'; ++ch) of[ch] = of[ch - 32] = kStartWord;
        of['@'] = of['_'] = kStartWord;
        of['"'] = of['\''] = of['`'] = kStartQuote;
    }
};
constexpr Starts kStarts;

void set_text(Instance& in, const char* text, int length) {
    std::memcpy(in.token, text, size_t(length));
    in.token[length] = '\0';
    in.token_length = length;
}

int finish(Instance& in, int cls, int code, int end) {
    in.token_class = int16_t(cls);
    in.token_code = int16_t(code);
    in.scan = end;
    return cls;
}

int read_number(Instance& in, const char* s, int p) {
    int start = p, dots = 0, exponents = 0;
    for (;;) {
        char ch = s[p];
        if (is_digit(ch)) {
        } else if (ch == '.') {
            if (++dots > 1) fail(3338);
        } else if (ch == 'e' || ch == 'E') {
            if (++exponents > 1) fail(3339);
            if (s[p + 1] == '+' || s[p + 1] == '-') ++p;
        } else {
            break;
        }
        ++p;
    }
    if (dots || exponents) {
        set_text(in, s + start, p - start);
        in.token_float = std::strtod(in.token, nullptr);
        return finish(in, kTokenFloat, 0, p);
    }
    uint64_t value = 0;
    for (int i = start; i < p && value <= 0x7FFFFFFF; ++i) value = value * 10 + uint64_t(s[i] - '0');
    if (value > 0x7FFFFFFF) {
        set_text(in, s + start, p - start);
        // Too big for an integer: the number is kept as a float rather than wrapped.
        in.token_float = std::strtod(in.token, nullptr);
        return finish(in, kTokenFloat, 0, p);
    }
    in.token_int = int32_t(value);
    return finish(in, kTokenInteger, 0, p);
}

int read_string(Instance& in, const char* s, int p) {
    char quote = s[p++];
    int length = 0;
    for (;;) {
        char ch = s[p];
        if (!ch) fail(3054);
        if (ch == quote) {
            if (s[p + 1] != quote) break;
            ++p;
        }
        if (length >= kLineMax) fail(3053);
        in.token[length++] = ch;
        ++p;
    }
    in.token[length] = '\0';
    in.token_length = length;
    return finish(in, kTokenString, 0, p + 1);
}

int search_table(const QslNameEntry* table, int count, std::string_view word) {
    for (int i = 0; i < count; ++i) {
        const QslNameEntry& e = table[i];
        if (e.length == word.size() && e.length <= sizeof e.name &&
            strncasecmp(e.name, word.data(), word.size()) == 0)
            return i;
    }
    return -1;
}

}  // namespace

int next_token(Context& c) {
    Instance& in = *c.in;
    const char* s = in.line;
    int p = in.scan;
    Start start;
    while ((start = kStarts.of[static_cast<unsigned char>(s[p])]) == kStartBlank) ++p;
    in.token_start = p;
    char ch = s[p];
    switch (start) {
        case kStartEnd:
            in.token[0] = '\0';
            in.token_length = 0;
            return finish(in, kTokenEnd, 0, p);
        case kStartDigit: return read_number(in, s, p);
        case kStartQuote: return read_string(in, s, p);
        case kStartOther: {
            int length;
            int code = lookup_operator(s + p, length);
            if (code < 0) fail(3054);
            return finish(in, kTokenName, code, p + length);
        }
        default: break;
    }
    // One pass lower-cases and hashes the word and notes whether it is
    // letters and digits only (followed by "." that names an OLE object).
    int end = p;
    char word[kLineMax + 1];
    uint32_t hash = 0;
    bool alphanumeric = true;
    while (is_word(s[end])) {
        char lowered = lower(s[end]);
        if (lowered == '_' || (lowered == '@' && end > p)) alphanumeric = false;
        word[end - p] = lowered;
        hash = hash * 31 + static_cast<unsigned char>(lowered);
        ++end;
    }
    if (s[end] == '.' && alphanumeric && end - p <= kVariableNameMax && end > p + (ch == '@')) {
        set_text(in, s + p, end - p);
        return finish(in, kTokenObject, kOleReference, end);
    }
    std::string_view w(word, size_t(end - p));
    bool plain = s[end] != '.';  // a variable name may go on with "."
    if (plain) {
        int cls, code;
        if (c.names.find(c, w, hash, cls, code)) return finish(in, cls, code, end);
    }
    int code = lookup_word(w);
    if (code < 0 && in.extender_function_count > 0) {
        int at = search_table(in.extender_table, in.extender_function_count, w);
        if (at >= 0) code = kExtenderCodeBase + at;
    }
    if (code < 0 && in.host_table && in.host_count > 0) {
        int at = search_table(reinterpret_cast<const QslNameEntry*>(in.host_table), in.host_count, w);
        if (at >= 0) code = kHostCodeBase + at;
    }
    if (code >= 0) {
        c.names.remember(c, w, hash, kTokenName, code);
        return finish(in, kTokenName, code, end);
    }
    while (is_word(s[end]) || s[end] == '.') {
        if (end - p < kLineMax) word[end - p] = lower(s[end]);
        ++end;
    }
    if (end - p > kVariableNameMax) fail(3055);
    int index = declare_variable(c, std::string_view(word, size_t(end - p)));
    if (plain) c.names.remember(c, w, hash, kTokenVariable, index);
    return finish(in, kTokenVariable, index, end);
}

bool WordCache::find(const Context& c, std::string_view word, uint32_t hash, int& cls, int& code) {
    if (generation != c.in->names_generation || word.size() >= sizeof(Entry::word)) return false;
    const Entry& e = entries[(hash ^ (hash >> 7)) % kEntries];
    if (e.length != word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (e.word[i] != word[i]) return false;
    cls = e.cls;
    code = e.code;
    return true;
}

void WordCache::remember(const Context& c, std::string_view word, uint32_t hash, int cls, int code) {
    if (generation != c.in->names_generation) {
        for (Entry& e : entries) e.length = 0;
        generation = c.in->names_generation;
    }
    if (word.size() >= sizeof(Entry::word)) return;
    Entry& e = entries[(hash ^ (hash >> 7)) % kEntries];
    std::memcpy(e.word, word.data(), word.size());
    e.length = uint8_t(word.size());
    e.cls = int16_t(cls);
    e.code = int16_t(code);
}

void putback(Context& c) { c.in->scan = c.in->token_start; }

int next_string_token(Context& c) {
    Instance& in = *c.in;
    const char* s = in.line;
    int p = in.scan;
    while (s[p] == ' ' || s[p] == '\t') ++p;
    in.token_start = p;
    if (s[p] == '\0' || s[p] == ';') {
        in.token[0] = '\0';
        in.token_length = 0;
        return finish(in, kTokenEnd, 0, p);
    }
    if (s[p] == '"' || s[p] == '\'' || s[p] == '`') return read_string(in, s, p);
    if (!is_word(s[p])) fail(3054);
    int end = p;
    while (is_word(s[end])) ++end;
    if (end - p > kLineMax) fail(3053);
    set_text(in, s + p, end - p);
    return finish(in, kTokenWord, 0, end);
}

// A host or extender entry is a command (class 4) or else a function.
int outside_class(int cls) {
    return ((cls & ~kClassDisabled) == kClassCommand ? kClassCommand : kClassFunction) | (cls & kClassDisabled);
}

int token_entry_class(const Context& c) {
    int code = c.in->token_code;
    if (code >= kExtenderCodeBase && code < kExtenderCodeBase + kExtenderFunctionMax)
        return outside_class(c.in->extender_table[code - kExtenderCodeBase].cls);
    if (code >= kHostCodeBase && code < kHostCodeBase + 1000)
        return outside_class(reinterpret_cast<const QslNameEntry*>(c.in->host_table)[code - kHostCodeBase].cls);
    int cls = name_entry(code).cls;
    if (c.in->disabled[code / 8] & (1 << (code % 8))) cls |= kClassDisabled;
    return cls;
}

bool token_is(const Context& c, int code) {
    return c.in->token_class == kTokenName && c.in->token_code == code;
}

}  // namespace qsl
