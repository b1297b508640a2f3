#include "common/real_paths.h"

#include <cctype>
#include <cstdio>

#include "common/platform/paths.h"

namespace qv {

namespace {

bool ends_word(char c) {
    return c == ' ' || c == '"' || c == '\'' || c == '@' || c == ',' || c == '(' || c == ')' || c == '\n' ||
           c == '\t';
}

bool starts_word(std::string_view text, std::size_t at) { return at == 0 || ends_word(text[at - 1]); }

bool is_drive(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && std::isalpha(static_cast<unsigned char>(text[at])) && text[at + 1] == ':' &&
           text[at + 2] == '\\';
}

}  // namespace

std::vector<std::string> installation_paths(std::string_view text) {
    std::vector<std::string> paths;
    std::size_t at = 0;
    while (at < text.size()) {
        if (!starts_word(text, at) || !(text[at] == '\\' || is_drive(text, at))) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !ends_word(text[end])) ++end;
        std::string_view path = text.substr(at, end - at);
        // A sentence may end right after the path.
        while (!path.empty() && (path.back() == '.' || path.back() == ':' || path.back() == ';' || path.back() == '?'))
            path.remove_suffix(1);
        if (path.size() > 1) paths.emplace_back(path);
        at = end;
    }
    return paths;
}

std::string real_paths_line(std::string_view text) {
    std::string line;
    for (const std::string& path : installation_paths(text)) {
        line += line.empty() ? "(" : "; ";
        line += path + " is " + translate_path(path).string();
        // A folder named with its closing backslash stays recognisable as one.
        if (path.back() == '\\' && line.back() != '/') line += '/';
    }
    if (!line.empty()) line += ")";
    return line;
}

void show_real_paths(std::string_view text) {
    const std::string line = real_paths_line(text);
    if (line.empty()) return;
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace qv
