#include "clcconv/clcconv.h"

#include "common/platform/console.h"
#include "common/platform/text.h"

namespace qv::clcconv {

Selection read_command_line(const std::vector<std::string>& args, const CommodityTable& table) {
    std::string text;
    for (const std::string& arg : args) text += arg;

    Selection selection;
    selection.selected.assign(table.size(), false);
    bool named = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '/' && text[i] != '\\') continue;
        const std::string_view rest = std::string_view(text).substr(i + 1);
        if (!rest.empty() && (rest[0] == '1' || rest[0] == '2')) {
            selection.direction = rest[0] == '1' ? Direction::to_ascii : Direction::to_binary;
            i += 1;
            continue;
        }
        const std::string tag(rest.substr(0, 2));
        i += tag.size();
        named = true;
        bool found = false;
        for (std::size_t row = 0; row < table.size(); ++row) {
            if (tag.size() == 2 && equal_no_case(table[row].tag, tag)) {
                selection.selected[row] = true;
                found = true;
            }
        }
        if (!found) console().print("\n\n    INVALID COMMODITY ENTERED - %s, BYPASSED", tag.c_str());
    }
    if (!named) selection.selected.assign(table.size(), true);
    return selection;
}

Selection show_menu(const CommodityTable& table) {
    Console& out = console();
    for (const char* line : {
             "\n\n\n       CONVERT CLC FILES TO ASCII (AND BACK TO CLC BINARY), Ver. 1.9",
             "\n\n\n\n     This program converts CLC files in the \\QUORVANT\\CLC directory",
             "\n     into ASCII FORMAT and stores them in \\QUORVANT\\CLC\\TEMP directory.",
             "\n     The ASCII files will be named XX_CLC.ASC.",
             "\n\n     These ASCII files can be converted back into their original binary",
             "\n     format with this program, however, rather than risk overwriting",
             "\n     your original CLC Database files, these BINARY files will remain",
             "\n     in the \\QUORVANT\\CLC\\TEMP directory and will be named xx_CLC.BIN.",
             "\n\n\n\n     Please select one of the following choices:",
             "\n       1 - Convert Quorvant CLC Database to ASCII,",
             "\n       2 - Convert ASCII CLC files back to Quorvant binary format,",
             "\n  any other char - Return To DOS",
             "\n\n\n        CHOICE:",
         })
        out.write(line);
    Selection selection;
    selection.selected.assign(table.size(), true);
    const int key = out.read_key_echo();
    if (key == '1') selection.direction = Direction::to_ascii;
    if (key == '2') selection.direction = Direction::to_binary;
    return selection;
}

}  // namespace qv::clcconv
