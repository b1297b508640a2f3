// Delimited item lists: strings whose items are separated by one delimiter
// character. The item functions take their delimiter as an argument; the
// functions of other families that produce lists of files, windows or keys
// separate them with the file-list delimiter (intcontrol 29, tab at start).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/instance.h"

namespace qsl {

// The delimiter an argument names: its first character (all bytes of it when
// it is a multi-byte character), a tab when the argument is empty.
std::string_view list_delimiter(std::string_view argument);
// The file-list delimiter of the instance.
std::string_view file_list_delimiter(const Context& c);

// The items of a list; a delimiter at its very end does not start an item,
// and an empty list has none.
std::vector<std::string_view> split_items(std::string_view list, std::string_view delimiter);
// The items joined with the delimiter between them.
std::string join_items(const std::vector<std::string_view>& items, std::string_view delimiter);

}  // namespace qsl
