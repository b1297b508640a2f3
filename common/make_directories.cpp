#include "common/make_directories.h"

#include <string>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/text.h"

namespace qv {

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

// A prefix that names no folder of its own: nothing, a drive ("C:"), or one
// that ends in a separator (a doubled one, "C:\\DATA").
bool names_no_folder(std::string_view prefix) {
    if (prefix.empty() || is_separator(prefix.back())) return true;
    return prefix.size() == 2 && prefix[1] == ':';
}

}  // namespace

int make_directories(std::string_view path, const ToolProfile& tool) {
    if (!path.empty() && is_separator(path.back())) {
        message(tool, " ERROR-OUTPUT FILE NAME NOT SPECIFIED.");
        return 1;
    }
    std::size_t separators = 0;
    for (const char c : path)
        if (is_separator(c)) ++separators;
    if (separators < 2) {
        message(tool, " OUTPUT FILE NAME CONFLICT, CHECK FOR READ ONLY@ATTRIBUTE OR SUBDIRECTORY WITH SAME NAME");
        return 1;
    }
    // Every folder along the path, the outermost first, as MD would make them
    // one by one; the last component is the file itself.
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (!is_separator(path[i])) continue;
        const std::string_view folder = path.substr(0, i);
        if (names_no_folder(folder) || folder_exists(folder)) continue;
        if (!create_folders(folder)) {
            message(tool, format(" ERROR- COULD NOT CREATE THE DIRECTORY: %s", std::string(folder).c_str()));
            return 1;
        }
    }
    return 0;
}

}  // namespace qv
