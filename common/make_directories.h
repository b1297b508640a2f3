#pragma once

// Making the folders of an output file's path, as the builder and the
// distributor do before they create a file in a folder that may not exist.

#include <string_view>

#include "common/tool.h"

namespace qv {

// Makes every folder of `path` (a file path in the installation's form, with
// backslashes) that does not exist, from the outermost in. A path ending in a
// backslash gives " ERROR-OUTPUT FILE NAME NOT SPECIFIED."; one with fewer than
// two backslashes " OUTPUT FILE NAME CONFLICT, CHECK FOR READ ONLY@ATTRIBUTE OR
// SUBDIRECTORY WITH SAME NAME"; a folder that cannot be made " ERROR- COULD NOT
// CREATE THE DIRECTORY: %s". The message is the tool's message (its warning
// screen). 0 when every folder exists, 1 after a message.
int make_directories(std::string_view path, const ToolProfile& tool);

}  // namespace qv
