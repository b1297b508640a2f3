// Feeds a menu file of arbitrary bytes to the structure rules: a file they
// refuse names its message, and a file they pass gives titles of levels 1 to
// 4 in which every popup is followed by a title one level deeper and every
// item has code.
#include <cstdint>
#include <string_view>
#include <vector>

#include "scriptlib/menu_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<qsl::MenuNode> nodes;
    qsl::MenuFault fault;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!qsl::parse_menu_text(text, nodes, fault)) {
        if (fault.message == 0 || fault.text.size() > size_t(qsl::menu_line_max)) __builtin_trap();
        return 0;
    }
    if (nodes.empty() || nodes.front().title.level != 1) __builtin_trap();
    for (size_t i = 0; i < nodes.size(); ++i) {
        const qsl::MenuNode& node = nodes[i];
        if (node.title.level < 1 || node.title.level > qsl::menu_level_max) __builtin_trap();
        if (node.popup && (!node.code.empty() || i + 1 == nodes.size() || nodes[i + 1].title.level != node.title.level + 1))
            __builtin_trap();
        if (!node.popup && node.code.empty()) __builtin_trap();
    }
    return 0;
}
