#include "builder/broadcast_list.h"

#include <cstdio>
#include <string>

#include "builder/build_file.h"
#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/install_files.h"

namespace qv::builder {

namespace {

constexpr std::string_view broadcast_list = install::broadcast_list_file;

bool listed(std::string_view build_file, bool& ends_with_line_end) {
    ends_with_line_end = true;
    const FilePtr file = open_file(broadcast_list, "r");
    if (!file) return false;
    std::string line;
    std::string name;
    while (read_line(file.get(), line, 4096)) {
        ends_with_line_end = !line.empty() && line.back() == '\n';
        name += line;
        if (!ends_with_line_end) continue;
        name.pop_back();
        if (equal_no_case(name, build_file)) return true;
        name.clear();
    }
    return !name.empty() && equal_no_case(name, build_file);
}

}  // namespace

void record_in_broadcast_list(std::string_view build_file) {
    const std::string upper = to_upper(build_file);
    if (upper.find("COT") != std::string::npos || is_roll_list(build_file)) return;
    bool ends_with_line_end = true;
    if (listed(build_file, ends_with_line_end)) return;
    const FilePtr file = open_file(broadcast_list, "a");
    if (!file) {
        message(builder_profile, "ERROR-CAN'T OPEN 'BCAST' FILE, BYPASSING");
        return;
    }
    // A list whose last line has no line end keeps that line whole.
    std::string entry = ends_with_line_end ? "" : "\n";
    entry += upper;
    entry += '\n';
    if (std::fputs(entry.c_str(), file.get()) < 0 || std::fflush(file.get()) != 0) {
        message(builder_profile, "ERROR-CAN'T OPEN 'BCAST' FILE, BYPASSING");
    }
}

}  // namespace qv::builder
