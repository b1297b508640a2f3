#include "common/update_file.h"

#include <cctype>

#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv {

namespace {

bool is_letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool all_digits(std::string_view text) {
    for (char c : text)
        if (!is_digit(c)) return false;
    return true;
}

bool all_letters(std::string_view text) {
    for (char c : text)
        if (!is_letter(c)) return false;
    return true;
}

std::string without_line_end(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return std::string(line);
}

}  // namespace

std::optional<DatabaseKind> database_kind(std::string_view extension) {
    if (equal_no_case(extension, "CLC")) return DatabaseKind::clc;
    if (equal_no_case(extension, "COT")) return DatabaseKind::cot;
    if (equal_no_case(extension, "IDX")) return DatabaseKind::idx;
    return std::nullopt;
}

std::size_t update_line_length(DatabaseKind kind) {
    switch (kind) {
    case DatabaseKind::clc: return clc_update_line_length;
    case DatabaseKind::cot: return cot_update_line_length;
    case DatabaseKind::idx: return idx_update_line_length;
    }
    return clc_update_line_length;
}

std::string UpdateFileName::in_state(char new_state) const {
    std::string name = text;
    name[1] = new_state;
    return name;
}

std::optional<UpdateFileName> parse_update_file_name(std::string_view name) {
    if (name.size() != 12 || !is_letter(name[0]) || !(is_letter(name[1]) || name[1] == '_') ||
        !all_digits(name.substr(2, 6)) || name[8] != '.' || !all_letters(name.substr(9, 3)))
        return std::nullopt;
    UpdateFileName parsed;
    parsed.text = to_upper(name);
    parsed.type = parsed.text[0];
    parsed.state = parsed.text[1];
    parsed.date = parsed.text.substr(2, 6);
    parsed.extension = parsed.text.substr(9, 3);
    return parsed;
}

bool is_proper_update_file_name(std::string_view name) {
    return name.size() == 12 && all_letters(name.substr(0, 2)) && all_digits(name.substr(2, 6)) &&
           name[8] == '.' && all_letters(name.substr(9, 3));
}

std::optional<std::string> header_file_name(std::string_view line) {
    if (!starts_with_no_case(line, "DU") && !starts_with_no_case(line, "MU")) return std::nullopt;
    if (line.size() < 12 || !is_proper_update_file_name(line.substr(0, 12))) return std::nullopt;
    return to_upper(line.substr(0, 12));
}

std::optional<std::string> read_header_file_name(std::string_view path) {
    auto source = UpdateLineSource::open(path, clc_update_line_length);
    if (!source) return std::nullopt;
    std::string line;
    for (int count = 0; count < 10 && source->next(line); ++count) {
        if (starts_with_no_case(line, "DU") || starts_with_no_case(line, "MU")) return header_file_name(line);
    }
    return std::nullopt;
}

std::optional<std::string> bulletin_file_name(std::string_view header_line) {
    if (header_line.size() < 12) return std::nullopt;
    std::string name = "BU" + to_upper(header_line.substr(2, 10));
    if (!is_proper_update_file_name(name)) return std::nullopt;
    return name;
}

bool is_valid_tag(std::string_view line, DatabaseKind kind) {
    if (line.size() < 2) return false;
    const char first = upper(line[0]);
    const char second = upper(line[1]);
    if (first < 'A' || first > 'Z') return false;
    const char lowest = kind == DatabaseKind::clc ? '0' : '1';
    // The tag names the commodity's database file: a backslash would make it
    // a folder.
    return second >= lowest && second <= '_' && second != '\\';
}

UpdateLineSource::UpdateLineSource(FilePtr file, std::size_t line_length)
    : file_(std::move(file)), line_length_(line_length) {}

std::optional<UpdateLineSource> UpdateLineSource::open(std::string_view path, std::size_t line_length) {
    FilePtr file = open_file(path, "r");
    if (!file) return std::nullopt;
    return UpdateLineSource(std::move(file), line_length);
}

bool UpdateLineSource::read_physical(std::string& line, bool& cut) {
    cut = false;
    if (!read_line(file_.get(), line, line_length_)) return false;
    if (line.empty() || line.back() == '\n') return true;
    // No line feed: either the end of the file or a line longer than the limit,
    // whose rest is read and dropped.
    std::string rest;
    while (read_line(file_.get(), rest, line_length_)) {
        cut = true;
        if (!rest.empty() && rest.back() == '\n') break;
    }
    return true;
}

bool UpdateLineSource::next(std::string& line) {
    if (!pushed_.empty()) {
        line = std::move(pushed_.back());
        last_cut_ = pushed_cut_.back();
        pushed_.pop_back();
        pushed_cut_.pop_back();
        return true;
    }
    return read_physical(line, last_cut_);
}

const std::string* UpdateLineSource::peek() {
    if (pushed_.empty()) {
        std::string line;
        bool cut = false;
        if (!read_physical(line, cut)) return nullptr;
        pushed_.push_back(std::move(line));
        pushed_cut_.push_back(cut);
    }
    return &pushed_.back();
}

void UpdateLineSource::unread(std::string line) {
    pushed_.push_back(std::move(line));
    pushed_cut_.push_back(last_cut_);
}

std::optional<std::string> UpdateLineSource::skip_header() {
    std::string line;
    do {
        if (!next(line)) return std::nullopt;
    } while (line.size() < 5);  // the line feed counts
    skip_bulletin();
    return line;
}

void UpdateLineSource::skip_bulletin() {
    const std::string* following = peek();
    if (!following || following->empty() || following->front() != '$') return;
    std::string line;
    next(line);
    while (next(line))
        if (!line.empty() && line.front() == '$') return;
}

BroadcastLines read_broadcast_lines(std::string_view name) {
    BroadcastLines result;
    constexpr std::size_t broadcast_line_length = 214;
    auto source = UpdateLineSource::open(std::string(install::updates_folder).append(name),
                                         broadcast_line_length);
    if (!source) {
        result.messages.push_back(
            format("CAN'T OPEN UPDATE FILE %.*s TO BROADCAST IT", int(name.size()), name.data()));
        return result;
    }
    std::string line;
    do {
        if (!source->next(line)) return result;
    } while (line.size() < 10);
    const std::string header = to_upper(without_line_end(line));
    if (!starts_with_no_case(header, "DU")) {
        result.messages.push_back(format("ERROR - UPDATE FILE %s DOESN'T START WITH DU LINE", header.c_str()));
        return result;
    }
    result.date = header.substr(2, 6);
    source->skip_bulletin();

    bool after_rollover = false;
    while (source->next(line)) {
        if (after_rollover && line.size() >= 2) result.rolled_tags.push_back(to_upper(line.substr(0, 2)));
        const std::string_view date = line.size() >= 9 ? std::string_view(line).substr(3, 6) : std::string_view();
        after_rollover = date == "000000";
        if (after_rollover || date.size() != 6 || date != result.date) continue;
        if (result.lines.size() == broadcast_line_limit) {
            // Only a line that is really left out is worth the warning.
            result.messages.push_back("WARNING - UPDATE FILE CONTAINS TOO MANY LINES@EXTRA LINES IGNORED");
            break;
        }
        result.lines.push_back(without_line_end(line));
    }
    return result;
}

}  // namespace qv
