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
enum Start : uint8_t { start_other, start_end, start_blank, start_digit, start_word, start_quote };
struct Starts {
    Start of[256];
    constexpr Starts() : of() {
        of[0] = of[int(';')] = start_end;
        of[int(' ')] = of[int('\t')] = start_blank;
        for (int ch = '0'; ch <= '9'; ++ch) of[ch] = start_digit;
        for (int ch = 'a'; ch <= 'z'; ++ch) of[ch] = of[ch - 32] = start_word;
        of[int('@')] = of[int('_')] = start_word;
        of[int('"')] = of[int('\'')] = of[int('`')] = start_quote;
    }
};
constexpr Starts start_of_byte;

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
            if (++dots > 1) fail(errors::fp_too_many_dots);
        } else if (ch == 'e' || ch == 'E') {
            if (++exponents > 1) fail(errors::fp_too_many_exponents);
            if (s[p + 1] == '+' || s[p + 1] == '-') ++p;
        } else {
            break;
        }
        ++p;
    }
    if (dots || exponents) {
        set_text(in, s + start, p - start);
        in.token_float = std::strtod(in.token, nullptr);
        return finish(in, token_float_number, 0, p);
    }
    uint64_t value = 0;
    for (int i = start; i < p && value <= 0x7FFFFFFF; ++i) value = value * 10 + uint64_t(s[i] - '0');
    if (value > 0x7FFFFFFF) {
        set_text(in, s + start, p - start);
        // Too big for an integer: the number is kept as a float rather than wrapped.
        in.token_float = std::strtod(in.token, nullptr);
        return finish(in, token_float_number, 0, p);
    }
    in.token_int = int32_t(value);
    return finish(in, token_integer, 0, p);
}

int read_string(Instance& in, const char* s, int p) {
    char quote = s[p++];
    int length = 0;
    for (;;) {
        char ch = s[p];
        if (!ch) fail(errors::unrecognizable_item);
        if (ch == quote) {
            if (s[p + 1] != quote) break;
            ++p;
        }
        if (length >= line_max) fail(errors::string_too_long);
        in.token[length++] = ch;
        ++p;
    }
    in.token[length] = '\0';
    in.token_length = length;
    return finish(in, token_string, 0, p + 1);
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
    while ((start = start_of_byte.of[static_cast<unsigned char>(s[p])]) == start_blank) ++p;
    in.token_start = p;
    char ch = s[p];
    switch (start) {
        case start_end:
            in.token[0] = '\0';
            in.token_length = 0;
            return finish(in, token_end, 0, p);
        case start_digit: return read_number(in, s, p);
        case start_quote: return read_string(in, s, p);
        case start_other: {
            int length;
            int code = lookup_operator(s + p, length);
            if (code < 0) fail(errors::unrecognizable_item);
            return finish(in, token_name, code, p + length);
        }
        default: break;
    }
    // One pass lower-cases and hashes the word and notes whether it is
    // letters and digits only (followed by "." that names an OLE object).
    int end = p;
    char word[line_max + 1];
    uint32_t hash = 0;
    bool alphanumeric = true;
    while (is_word(s[end])) {
        char lowered = lower(s[end]);
        if (lowered == '_' || (lowered == '@' && end > p)) alphanumeric = false;
        word[end - p] = lowered;
        hash = hash * 31 + static_cast<unsigned char>(lowered);
        ++end;
    }
    if (s[end] == '.' && alphanumeric && end - p <= variable_name_max && end > p + (ch == '@')) {
        set_text(in, s + p, end - p);
        return finish(in, token_object, code_ole_reference, end);
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
        if (at >= 0) code = extender_code_base + at;
    }
    if (code < 0 && in.host_table && in.host_count > 0) {
        int at = search_table(reinterpret_cast<const QslNameEntry*>(in.host_table), in.host_count, w);
        if (at >= 0) code = host_code_base + at;
    }
    if (code >= 0) {
        c.names.remember(c, w, hash, token_name, code);
        return finish(in, token_name, code, end);
    }
    while (is_word(s[end]) || s[end] == '.') {
        if (end - p < line_max) word[end - p] = lower(s[end]);
        ++end;
    }
    if (end - p > variable_name_max) fail(errors::variable_name_over_30);
    int index = declare_variable(c, std::string_view(word, size_t(end - p)));
    if (plain) c.names.remember(c, w, hash, token_variable, index);
    return finish(in, token_variable, index, end);
}

bool WordCache::find(const Context& c, std::string_view word, uint32_t hash, int& cls, int& code) {
    if (generation != c.in->names_generation || word.size() >= sizeof(Entry::word)) return false;
    const Entry& e = entries[slot_of(hash)];
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
    Entry& e = entries[slot_of(hash)];
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
        return finish(in, token_end, 0, p);
    }
    if (s[p] == '"' || s[p] == '\'' || s[p] == '`') return read_string(in, s, p);
    if (!is_word(s[p])) fail(errors::unrecognizable_item);
    int end = p;
    while (is_word(s[end])) ++end;
    if (end - p > line_max) fail(errors::string_too_long);
    set_text(in, s + p, end - p);
    return finish(in, token_word, 0, end);
}

// A host or extender entry is a command (class 4) or else a function.
int outside_class(int cls) {
    return ((cls & ~class_disabled) == class_command ? class_command : class_function) | (cls & class_disabled);
}

int token_entry_class(const Context& c) {
    int code = c.in->token_code;
    if (code >= extender_code_base && code < extender_code_base + extender_function_max)
        return outside_class(c.in->extender_table[code - extender_code_base].cls);
    if (code >= host_code_base && code < host_code_base + 1000)
        return outside_class(reinterpret_cast<const QslNameEntry*>(c.in->host_table)[code - host_code_base].cls);
    int cls = name_entry(code).cls;
    if (c.in->disabled[code / 8] & (1 << (code % 8))) cls |= class_disabled;
    return cls;
}

bool token_is(const Context& c, int code) {
    return c.in->token_class == token_name && c.in->token_code == code;
}

}  // namespace qsl
