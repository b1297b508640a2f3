// A line ends at CR, LF, the byte 26 or the buffer's end; blanks and tabs
// before its first character are dropped, and that character's offset is the
// line's start offset.
#include "scriptlib/script_text.h"

#include <cctype>
#include <cstring>
#include <string>

#include "scriptlib/host_interfaces.h"
#include "scriptlib/values.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

struct LineEnds {
    bool at[256];
    constexpr LineEnds() : at() { at[int('\r')] = at[int('\n')] = at[26] = at[0] = true; }
};
constexpr LineEnds line_ends;

bool line_end(char ch) { return line_ends.at[static_cast<unsigned char>(ch)]; }

bool name_char(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '@' || ch == '_';
}

}  // namespace

LineRead read_line(Context& c, uint32_t& pos, uint32_t& start) {
    const char* text = c.buffer.text;
    uint32_t length = c.buffer.length;
    uint32_t p = pos;
    if (p >= length || text[p] == '\0') {
        pos = length;
        return LineRead::end;
    }
    while (p < length && (text[p] == ' ' || text[p] == '\t')) ++p;
    start = p;
    // Scan eight bytes at a time while none of them is a control character
    // (every line end is one); at most one character more than a line holds.
    uint32_t limit = length - p > uint32_t(line_max) ? p + uint32_t(line_max) + 1 : length;
    // The line is copied as it is scanned.
    char* line = c.in->line;
    uint32_t end = p;
    uint64_t percent = 0;
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    while (end + 8 <= limit) {
        uint64_t x;
        std::memcpy(&x, text + end, 8);
        if ((x - 0x20 * ones) & ~x & highs) break;
        uint64_t y = x ^ ('%' * ones);
        percent |= (y - ones) & ~y & highs;
        std::memcpy(line + (end - p), &x, 8);
        end += 8;
    }
    for (; end < limit && !line_end(text[end]); ++end) {
        line[end - p] = text[end];
        percent |= text[end] == '%';
    }
    if (end - p > uint32_t(line_max)) {
        while (end < length && !line_end(text[end])) ++end;
        pos = end;
        return LineRead::too_long;
    }
    line[end - p] = '\0';
    c.line_has_percent = percent != 0;
    if (end >= length || text[end] == '\0') {
        pos = end >= length ? length : end;
        if (end < length) pos = length;
    } else if (text[end] == '\r' && end + 1 < length && text[end + 1] == '\n') {
        pos = end + 2;
    } else {
        pos = end + 1;
    }
    return LineRead::line;
}

namespace {

// One pass over the buffer: every line that starts (after blanks and empty
// lines) with ":" names the label word up to a blank, a tab, ";" or the line
// end.
void index_labels(LabelIndex& index, const char* text, uint32_t length) {
    index.text = text;
    index.length = length;
    index.offsets.clear();
    uint32_t p = 0;
    while (p < length && text[p]) {
        while (p < length && (text[p] == ' ' || text[p] == '\t' || text[p] == '\n' || text[p] == '\r')) ++p;
        if (p < length && text[p] == ':') {
            uint32_t q = p + 1;
            std::string word;
            while (q < length && text[q] != ' ' && text[q] != '\t' && text[q] != ';' && !line_end(text[q]))
                word += char(std::toupper(static_cast<unsigned char>(text[q++])));
            index.offsets.emplace(std::move(word), p);
        }
        while (p < length && !line_end(text[p])) ++p;
        if (p < length && text[p] == '\0') break;
        if (p < length) ++p;
    }
}

}  // namespace

uint32_t find_label(Context& c, std::string_view label) {
    if (!c.buffer.text) fail(errors::goto_lock_failed);
    if (c.labels.text != c.buffer.text || c.labels.length != c.buffer.length)
        index_labels(c.labels, c.buffer.text, c.buffer.length);
    std::string key(label);
    for (char& ch : key) ch = char(std::toupper(static_cast<unsigned char>(ch)));
    auto at = c.labels.offsets.find(key);
    if (at == c.labels.offsets.end()) fail(errors::label_not_found);
    return at->second;
}

void cache_label(Context& c, uint32_t at, uint32_t target) {
    char* text = c.buffer.text;
    if (target >= (1u << 24) || at + 5 > c.buffer.length) return;
    if (text[at] != 'G' && text[at] != 'g') {
        // The jump is not the text at the statement's place: leave the buffer alone.
        play_sound("");
        return;
    }
    text[at] = char((text[at + 2] == 'T' || text[at + 2] == 't') ? cached_goto : cached_gosub);
    for (int i = 0; i < 4; ++i) text[at + 1 + i] = char(((target >> (18 - 6 * i)) & 0x3F) + 0x40);
}

uint32_t cached_target(const char* marker) {
    uint32_t target = 0;
    for (int i = 1; i <= 4; ++i) target = (target << 6) | (uint32_t(static_cast<unsigned char>(marker[i])) & 0x3F);
    return target;
}

bool substitute(Context& c) {
    const char* line = c.in->line;
    if (!c.line_has_percent || !std::strchr(line, '%')) return false;
    std::string out;
    bool replaced = false;
    for (size_t i = 0; line[i];) {
        if (line[i] != '%') {
            out += line[i++];
            continue;
        }
        if (line[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        size_t j = i + 1;
        std::string name;
        while (name_char(line[j])) name += char(std::tolower(static_cast<unsigned char>(line[j++])));
        if (name.size() > 30) fail(errors::variable_name_too_long);
        if (line[j] != '%') fail(errors::substitution_unclosed);
        int index = find_variable(c, name);
        Slot slot = index >= 0 ? read_slot(c, index) : Slot{};
        if (slot.type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING)) {
            Value v(c);
            load_variable(c, index, v);
            out += display(v);
        } else if (name == "@crlf") {
            out += "\r\n";
        } else if (name == "@tab") {
            out += '\t';
        } else if (name == "@cr") {
            out += '\r';
        } else if (name == "@lf") {
            out += '\n';
        }
        replaced = true;
        i = j + 1;
        if (out.size() > 256) fail(errors::substituted_line_too_long);
    }
    if (out.size() > 256) fail(errors::substituted_line_too_long);
    std::memcpy(c.in->line, out.c_str(), out.size() + 1);
    return replaced;
}

}  // namespace qsl
