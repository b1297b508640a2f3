#include "clcconv/clcconv.h"

#include "common/platform/console.h"

namespace qv::clcconv {

void run(const std::vector<std::string>& args, const CommodityTable& table) {
    const Selection selection = args.empty() ? show_menu(table) : read_command_line(args, table);
    switch (selection.direction) {
    case Direction::to_ascii: convert_to_ascii(table, selection.selected); break;
    case Direction::to_binary: convert_to_binary(table, selection.selected); break;
    case Direction::none:
        console().write("\n\n\n     Didn't specifiy if converting to ASCCI or Binary?");
        break;
    }
}

}  // namespace qv::clcconv
