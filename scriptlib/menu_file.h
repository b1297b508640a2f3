// Menu files: text in which indentation tells menu titles from the code of
// each item. A line is ignored when it holds only blanks and tabs before its
// end, a ";" or a "'"; otherwise its first four characters classify it: no
// indentation is a level-1 title, one to three blanks a title of level 2 to
// 4, a tab among them or four blanks a code line. A title followed by a
// deeper title is a popup, one followed by code an item.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/hot_keys.h"

namespace qsl {

constexpr int menu_line_max = 256;
constexpr int menu_title_max = 39;
constexpr int menu_level_max = 4;

struct MenuTitle {
    int level = 1;
    bool separator_before = false;  // "_"
    bool new_column = false;        // "|"
    std::string text;               // as shown: the title, a tab, the hot key in words
    std::string description;        // after ";"
    HotKey hot_key;                 // after "\"
    bool hidden = false;            // the shown text starts with "@"
};

struct MenuNode {
    MenuTitle title;
    bool popup = false;
    int line = 0;                   // of the title, from 1
    std::vector<std::string> code;  // an item's code lines, as written
};

// Where a menu file breaks the rules: the message number and the line.
struct MenuFault {
    int message = 0;
    int line = 0;  // 0: the end of the file
    std::string text;
};

// The titles of a menu file's text in file order, or the fault. Code lines
// before the first title belong to no item.
bool parse_menu_text(std::string_view text, std::vector<MenuNode>& nodes, MenuFault& fault);

// The file to load for a name: as given (from the working folder), else on
// $PATH, else in the folder of the host program; the name itself when none
// of them exists.
std::string find_menu_file(const std::string& name);

// The DOS date (high 16 bits) and time (low 16 bits) of the file's last
// write; nothing when the file cannot be reached.
std::optional<uint32_t> menu_file_stamp(const std::string& path);

}  // namespace qsl
