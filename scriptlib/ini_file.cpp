#include "scriptlib/ini_file.h"

#include <cstdio>
#include <fstream>

#include "common/platform/text.h"
#include "common/platform/work_file.h"

namespace qsl {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The key of a key=value line, or nothing for comments and other lines.
std::optional<std::string_view> key_of(std::string_view line) {
    std::string_view text = trim(line);
    if (text.empty() || text[0] == ';' || text[0] == '[') return std::nullopt;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(text.substr(0, eq));
}

}  // namespace

std::optional<std::string> section_heading(std::string_view line) {
    std::string_view text = trim(line);
    if (text.size() < 2 || text[0] != '[') return std::nullopt;
    size_t close = text.rfind(']');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    return std::string(trim(text.substr(1, close - 1)));
}

bool IniFile::load(const std::filesystem::path& path) {
    lines_.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return true;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
    }
    return !in.bad();
}

bool IniFile::save(const std::filesystem::path& path) const {
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    qv::WorkFile work(path.string() + ".qsl-work", path.string());
    if (!work.is_open()) return false;
    for (const std::string& line : lines_) {
        std::fputs(line.c_str(), work.file());
        std::fputc('\n', work.file());
    }
    return work.commit();
}

IniFile::Span IniFile::find_section(std::string_view section) const {
    Span span;
    for (int i = 0; i < int(lines_.size()); ++i) {
        auto heading = section_heading(lines_[size_t(i)]);
        if (!heading) continue;
        if (span.heading >= 0) {
            span.end = i;
            return span;
        }
        if (qv::equal_no_case(*heading, trim(section))) span.heading = i;
    }
    if (span.heading >= 0) span.end = int(lines_.size());
    return span;
}

int IniFile::find_key(const Span& span, std::string_view key) const {
    for (int i = span.heading + 1; span.heading >= 0 && i < span.end; ++i) {
        auto k = key_of(lines_[size_t(i)]);
        if (k && qv::equal_no_case(*k, trim(key))) return i;
    }
    return -1;
}

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
    int at = find_key(find_section(section), key);
    if (at < 0) return std::nullopt;
    const std::string& line = lines_[size_t(at)];
    return std::string(trim(std::string_view(line).substr(line.find('=') + 1)));
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(trim(key)) + "=" + std::string(value);
    Span span = find_section(section);
    if (span.heading < 0) {
        lines_.push_back("[" + std::string(trim(section)) + "]");
        lines_.push_back(entry);
        return;
    }
    if (int at = find_key(span, key); at >= 0) {
        lines_[size_t(at)] = entry;
        return;
    }
    // After the last key of the section, before the blank lines that part it
    // from the next one.
    int after = span.heading + 1;
    for (int i = span.heading + 1; i < span.end; ++i)
        if (!trim(lines_[size_t(i)]).empty()) after = i + 1;
    lines_.insert(lines_.begin() + after, entry);
}

bool IniFile::delete_key(std::string_view section, std::string_view key) {
    int at = find_key(find_section(section), key);
    if (at < 0) return false;
    lines_.erase(lines_.begin() + at);
    return true;
}

bool IniFile::delete_section(std::string_view section) {
    Span span = find_section(section);
    if (span.heading < 0) return false;
    lines_.erase(lines_.begin() + span.heading, lines_.begin() + span.end);
    return true;
}

void IniFile::add_section(std::string_view section) {
    if (find_section(section).heading < 0) lines_.push_back("[" + std::string(trim(section)) + "]");
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> names;
    for (const std::string& line : lines_)
        if (auto heading = section_heading(line)) names.push_back(*heading);
    return names;
}

bool IniFile::has_section(std::string_view section) const { return find_section(section).heading >= 0; }

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> names;
    Span span = find_section(section);
    for (int i = span.heading + 1; span.heading >= 0 && i < span.end; ++i)
        if (auto k = key_of(lines_[size_t(i)])) names.emplace_back(*k);
    return names;
}

}  // namespace qsl
