// The string functions: names beginning with "str", char2num, num2char and
// parsedata. Positions in strings count from 1; 0 means "not found".
#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>

#include "scriptlib/call_script.h"
#include "scriptlib/calls.h"
#include "scriptlib/families.h"
#include "scriptlib/string_heap.h"

namespace qsl {
namespace {

constexpr int forward_scan = 0;  // @fwdscan; @backscan is 1

char lower(char ch) { return ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch; }
char upper(char ch) { return ch >= 'a' && ch <= 'z' ? char(ch - 32) : ch; }

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), lower);
    return s;
}

int sign(int n) { return n < 0 ? -1 : n > 0 ? 1 : 0; }

// StrCat(s1, s2, ...): any number of arguments, each taken as a string,
// joined straight into the string heap.
void str_cat(Call& call) {
    ArgumentList list;
    std::vector<Value>& args = list.values();
    read_any_arguments(call.c, args);
    uint64_t total = 0;
    for (Value& v : args) {
        to_string(v);
        total += std::strlen(v.text());
    }
    check_built_length(total);
    // The heap may move while it grows: the parts are found by offset after.
    uint32_t at = heap_alloc(call.c, uint32_t(total + 1));
    if (!at) fail(errors::strings_out_of_memory);
    char* joined = call.c.heap + at;
    for (Value& v : args) {
        size_t length = std::strlen(v.text());
        std::memcpy(joined, v.text(), length);
        joined += length;
    }
    *joined = '\0';
    call.out.adopt_string(at);
}

void str_len(Call& call) { call.out.set_int(int32_t(std::strlen(call.args[0].text()))); }

void str_cmp(Call& call) { call.out.set_int(sign(std::strcmp(call.args[0].text(), call.args[1].text()))); }

void str_icmp(Call& call) { call.out.set_int(sign(strcasecmp(call.args[0].text(), call.args[1].text()))); }

void str_lower(Call& call) { call.out.set_string(lowered(call.text(0))); }

void str_upper(Call& call) {
    std::string s = call.text(0);
    std::transform(s.begin(), s.end(), s.begin(), upper);
    call.out.set_string(s);
}

void str_trim(Call& call) {
    std::string s = call.text(0);
    size_t first = s.find_first_not_of(" \t");
    size_t last = s.find_last_not_of(" \t");
    call.out.set_string(first == std::string::npos ? "" : s.substr(first, last - first + 1));
}

// StrFill(text, length): text repeated up to length characters.
void str_fill(Call& call) {
    std::string pattern = call.text(0), s;
    int32_t length = call.integer(1);
    check_built_length(uint64_t(std::max(length, 0)));
    if (!pattern.empty())
        while (int32_t(s.size()) < length) s += pattern.substr(0, size_t(length) - s.size());
    call.out.set_string(s);
}

// StrFix(base, padding, length) and its left-padding forms: base cut to length
// or filled up to it with the padding repeated.
void fix(Call& call, bool pad_left) {
    std::string base = call.text(0), padding = call.text(1);
    int32_t length = std::max(call.integer(2), 0);
    check_built_length(uint64_t(length));
    if (int32_t(base.size()) >= length) {
        call.out.set_string(base.substr(0, size_t(length)));
        return;
    }
    if (padding.empty()) fail(errors::strfix_no_padding);
    std::string fill;
    while (fill.size() + base.size() < size_t(length)) fill += padding;
    fill.resize(size_t(length) - base.size());
    call.out.set_string(pad_left ? fill + base : base + fill);
}

void str_fix(Call& call) { fix(call, false); }
void str_fix_left(Call& call) { fix(call, true); }

// Search positions: a forward scan starts at start (0 or 1: the beginning), a
// backward scan finds the last match that begins at or before start (0: the end).
int32_t index_of(const std::string& text, const std::string& part, int32_t start, int32_t direction) {
    if (part.empty() || part.size() > text.size()) return 0;
    if (direction == forward_scan) {
        size_t from = start > 1 ? size_t(start - 1) : 0;
        size_t at = from < text.size() ? text.find(part, from) : std::string::npos;
        return at == std::string::npos ? 0 : int32_t(at + 1);
    }
    size_t from = start <= 0 || size_t(start) > text.size() ? std::string::npos : size_t(start - 1);
    size_t at = text.rfind(part, from);
    return at == std::string::npos ? 0 : int32_t(at + 1);
}

void str_index(Call& call) {
    call.out.set_int(index_of(call.text(0), call.text(1), call.integer(2), call.integer(3)));
}

void str_index_nc(Call& call) {
    call.out.set_int(index_of(lowered(call.text(0)), lowered(call.text(1)), call.integer(2), call.integer(3)));
}

// StrScan(text, delimiters, start, direction): the position of the first (or
// last) character of text that is one of the delimiters.
void str_scan(Call& call) {
    std::string text = call.text(0), delimiters = call.text(1);
    int32_t start = call.integer(2);
    size_t at;
    if (call.integer(3) == forward_scan) {
        size_t from = start > 1 ? size_t(start - 1) : 0;
        at = from < text.size() ? text.find_first_of(delimiters, from) : std::string::npos;
    } else {
        size_t from = start <= 0 || size_t(start) > text.size() ? std::string::npos : size_t(start - 1);
        at = text.find_last_of(delimiters, from);
    }
    call.out.set_int(delimiters.empty() || at == std::string::npos ? 0 : int32_t(at + 1));
}

// StrSub(text, start, length): length -1 takes the rest.
void str_sub(Call& call) {
    std::string text = call.text(0);
    int32_t start = call.integer(1), length = call.integer(2);
    if (start < 1 || size_t(start) > text.size() || length == 0 || length < -1) {
        call.out.set_string("");
        return;
    }
    call.out.set_string(text.substr(size_t(start - 1), length == -1 ? std::string::npos : size_t(length)));
}

void str_replace(Call& call) {
    std::string text = call.text(0), old_part = call.text(1), new_part = call.text(2);
    if (!old_part.empty()) {
        std::string result;
        size_t from = 0;
        for (size_t at; (at = text.find(old_part, from)) != std::string::npos; from = at + old_part.size()) {
            result.append(text, from, at - from).append(new_part);
            check_built_length(result.size());
        }
        text = result.append(text, from, std::string::npos);
    }
    call.out.set_string(text);
}

// Wildcards: "?" is one character, "*" the fewest characters that let the
// rest match, or everything left when it ends the pattern. The end of the
// match at text[at], or -1.
long wild_match_end(const std::string& text, size_t at, const std::string& pattern, size_t p) {
    // Only the last "*" seen ever takes one more character: the earlier ones
    // keep the fewest that let their part match, so the walk stays linear.
    size_t star = std::string::npos, star_at = 0;
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            if (p + 1 == pattern.size()) return long(text.size());
            star = p++;
            star_at = at;
        } else if (at < text.size() && (pattern[p] == '?' || pattern[p] == text[at])) {
            ++p;
            ++at;
        } else if (star != std::string::npos && star_at < text.size()) {
            p = star + 1;
            at = ++star_at;
        } else {
            return -1;
        }
    }
    return long(at);
}

struct WildMatch {
    int32_t position = 0;  // 0: none
    size_t length = 0;
};

WildMatch find_wild(const std::string& text, const std::string& pattern, int32_t start) {
    if (pattern.empty()) return {};
    for (size_t at = start > 1 ? size_t(start - 1) : 0; at < text.size(); ++at)
        if (long end = wild_match_end(text, at, pattern, 0); end >= 0) return {int32_t(at + 1), size_t(end) - at};
    return {};
}

void str_index_wild(Call& call) { call.out.set_int(find_wild(call.text(0), call.text(1), call.integer(2)).position); }

// StrLenWild and StrSubWild look at the match that begins at start only.
WildMatch match_at(Call& call) {
    std::string text = call.text(0), pattern = call.text(1);
    int32_t start = call.integer(2);
    if (start < 1 || pattern.empty()) return {};
    long end = wild_match_end(text, size_t(start - 1), pattern, 0);
    return end < 0 ? WildMatch{} : WildMatch{start, size_t(end) - size_t(start - 1)};
}

void str_len_wild(Call& call) { call.out.set_int(int32_t(match_at(call).length)); }

void str_sub_wild(Call& call) {
    WildMatch m = match_at(call);
    call.out.set_string(m.position ? call.text(0).substr(size_t(m.position - 1), m.length) : "");
}

void char_to_num(Call& call) { call.out.set_int(static_cast<unsigned char>(call.args[0].text()[0])); }

void num_to_char(Call& call) {
    char ch = char(call.integer(0) & 0xFF);
    call.out.set_string(std::string_view(&ch, ch ? 1 : 0));
}

// ParseData(text): the words of text into param1..., their count into param0,
// the way CALL passes parameters.
void parse_data(Call& call) { call.out.set_int(set_parameters(call.c, call.text(0))); }

const Builtin functions[] = {
    {"char2num", char_to_num},
    {"num2char", num_to_char},
    {"parsedata", parse_data},
    {"strcat", str_cat},
    {"strcharcount", str_len},
    {"strcmp", str_cmp},
    {"strfill", str_fill},
    {"strfix", str_fix},
    {"strfixchars", str_fix},
    {"strfixcharsl", str_fix_left},
    {"strfixleft", str_fix_left},
    {"stricmp", str_icmp},
    {"strindex", str_index},
    {"strindexnc", str_index_nc},
    {"strindexwild", str_index_wild},
    {"strlen", str_len},
    {"strlenwild", str_len_wild},
    {"strlower", str_lower},
    {"strreplace", str_replace},
    {"strscan", str_scan},
    {"strsub", str_sub},
    {"strsubwild", str_sub_wild},
    {"strtrim", str_trim},
    {"strupper", str_upper},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
