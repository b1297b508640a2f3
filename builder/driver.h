#pragma once

// DFORGE, the output builder: runs one build file from start to end. It checks
// the whole file first, then builds each output file in turn, and records the
// build file in BCAST.TXT so that the updater's broadcast keeps its outputs up
// to date.

#include <string_view>
#include <vector>

namespace qv::builder {

// The run for the program's arguments (after the program name). Ends normally
// or by ProgramEnd, after a message.
void run_builder(const std::vector<std::string_view>& arguments);

}  // namespace qv::builder
