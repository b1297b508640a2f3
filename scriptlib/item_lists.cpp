#include "scriptlib/item_lists.h"

namespace qsl {

std::string_view list_delimiter(std::string_view argument) {
    if (argument.empty()) return "\t";
    auto lead = static_cast<unsigned char>(argument[0]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return argument.substr(0, length);
}

std::string_view file_list_delimiter(const Context& c) { return std::string_view(&c.in->list_delimiter, 1); }

std::vector<std::string_view> split_items(std::string_view list, std::string_view delimiter) {
    std::vector<std::string_view> items;
    size_t from = 0;
    while (from < list.size()) {
        size_t at = list.find(delimiter, from);
        if (at == std::string_view::npos) {
            items.push_back(list.substr(from));
            break;
        }
        items.push_back(list.substr(from, at - from));
        from = at + delimiter.size();
    }
    return items;
}

std::string join_items(const std::vector<std::string_view>& items, std::string_view delimiter) {
    std::string list;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) list += delimiter;
        list += items[i];
    }
    return list;
}

}  // namespace qsl
