// The script text: reading lines from the buffer, finding labels and caching
// them in the buffer, and substituting %variables% in a line.
#pragma once

#include <cstdint>
#include <string_view>

#include "scriptlib/instance.h"

namespace qsl {

enum class LineRead { line, end, too_long };

// Reads the line at pos into the instance's line buffer; its start offset
// goes to start and pos moves past its end.
LineRead read_line(Context& c, uint32_t& pos, uint32_t& start);
// The start offset of the label line, or 3033.
uint32_t find_label(Context& c, std::string_view label);
// Writes the cached jump over a GOTO/GOSUB statement at buffer offset at.
void cache_label(Context& c, uint32_t at, uint32_t target);
// Decodes the offset of a cached jump (the four bytes after the marker).
uint32_t cached_target(const char* marker);
// Replaces %name% in the instance's line; true when a name was replaced.
bool substitute(Context& c);

constexpr unsigned char cached_goto = 0x9F;
constexpr unsigned char cached_gosub = 0x9E;

}  // namespace qsl
