// The menu file's structure is checked by a state machine over its lines:
// before the first title, after a title of level 1 to 4 (waiting to learn
// whether it is a popup or an item), or inside the code of an item of level
// 1 to 4. Each state names the message of the line it cannot take.
#include "scriptlib/menu_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "scriptlib/date_time.h"
#include "scriptlib/errors.h"

namespace qsl {
namespace {

enum class LineClass { ignored, title, code };

struct MenuLine {
    LineClass kind = LineClass::ignored;
    int level = 0;
};

MenuLine classify(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == ';' || line[first] == '\'') return {};
    const std::string_view lead = line.substr(0, 4);
    if (lead.find('\t') != std::string_view::npos || first >= 4) return {LineClass::code, 0};
    return {LineClass::title, int(first) + 1};
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    const size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

MenuTitle parse_title(std::string_view line, int level) {
    MenuTitle title;
    title.level = level;
    std::string_view rest = line.substr(size_t(level - 1));
    if (!rest.empty() && rest.front() == '_') {
        title.separator_before = true;
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.front() == '|') {
        title.new_column = true;
        rest.remove_prefix(1);
    }
    const size_t semicolon = rest.find(';');
    if (semicolon != std::string_view::npos) {
        title.description = trimmed(rest.substr(semicolon + 1));
        rest = rest.substr(0, semicolon);
    }
    std::string text = trimmed(rest).substr(0, menu_title_max);
    const size_t backslash = text.find('\\');
    if (backslash != std::string::npos) {
        title.hot_key = parse_hot_key(std::string_view(text).substr(backslash + 1));
        text = trimmed(std::string_view(text).substr(0, backslash)) + "\t" + title.hot_key.words;
    }
    title.hidden = !text.empty() && text.front() == '@';
    title.text = std::move(text);
    return title;
}

// The message for a line that the state cannot take.
int after_title_fault(int level) {
    static constexpr int faults[] = {errors::menu_needs_second_title, errors::menu_needs_third_title,
                                     errors::menu_needs_fourth_title, errors::menu_needs_code_after_fourth};
    return faults[level - 1];
}

int in_code_fault(int level) {
    static constexpr int faults[] = {errors::menu_needs_top_title, errors::menu_needs_first_or_second_title,
                                     errors::menu_needs_first_to_third_title, errors::menu_needs_any_title};
    return faults[level - 1];
}

// Lines end at CR, LF, CR LF or the byte 26; a NUL ends the text.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}
    bool next(std::string_view& line) {
        if (at_ >= text_.size()) return false;
        size_t end = at_;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n' && text_[end] != 26) ++end;
        line = text_.substr(at_, end - at_);
        at_ = end + (text_.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++number_;
        return true;
    }
    int number() const { return number_; }

private:
    std::string_view text_;
    size_t at_ = 0;
    int number_ = 0;
};

}  // namespace

bool parse_menu_text(std::string_view text, std::vector<MenuNode>& nodes, MenuFault& fault) {
    nodes.clear();
    enum class State { before_first_title, after_title, in_code } state = State::before_first_title;
    int level = 0;  // of the last title
    LineReader reader(text);
    auto refuse = [&](int message, std::string_view line) {
        fault = MenuFault{message, reader.number(), std::string(line)};
        return false;
    };
    for (std::string_view line; reader.next(line);) {
        if (line.size() > size_t(menu_line_max)) return refuse(errors::line_too_long, line.substr(0, 60));
        const MenuLine kind = classify(line);
        if (kind.kind == LineClass::ignored) continue;
        if (kind.kind == LineClass::code) {
            if (state == State::after_title) {
                state = State::in_code;
            }
            if (state == State::in_code) nodes.back().code.emplace_back(line);
            continue;
        }
        // A title: where it may stand depends on what came before.
        if (state == State::before_first_title && kind.level != 1) return refuse(errors::menu_needs_first_title, line);
        if (state == State::after_title) {
            if (kind.level != level + 1) return refuse(after_title_fault(level), line);
            nodes.back().popup = true;
        }
        if (state == State::in_code && kind.level > level) return refuse(in_code_fault(level), line);
        nodes.push_back(MenuNode{parse_title(line, kind.level), false, reader.number(), {}});
        level = kind.level;
        state = State::after_title;
    }
    if (state != State::in_code) {
        fault = MenuFault{errors::menu_ended_unexpectedly, 0, ""};
        return false;
    }
    return true;
}

std::string find_menu_file(const std::string& name) {
    auto readable = [](const std::filesystem::path& path) { return ::access(path.c_str(), R_OK) == 0; };
    if (name.empty() || readable(name)) return name;
    const std::filesystem::path given(name);
    if (!given.has_parent_path()) {
        const std::string path = qv::get_env_or("PATH", "");
        for (size_t start = 0; start < path.size();) {
            size_t colon = path.find(':', start);
            if (colon == std::string::npos) colon = path.size();
            const std::filesystem::path folder = path.substr(start, colon - start);
            if (!folder.empty() && readable(folder / given)) return (folder / given).string();
            start = colon + 1;
        }
    }
    const std::filesystem::path beside_host = qv::program_folder() / given.filename();
    if (!qv::program_folder().empty() && readable(beside_host)) return beside_host.string();
    return name;
}

std::optional<uint32_t> menu_file_stamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return dos_date_time(info.st_mtime);
}

}  // namespace qsl
