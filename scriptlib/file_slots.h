// The five file slots of the line file functions (fileopen, fileread,
// filewrite, fileclose).
#pragma once

#include "scriptlib/instance.h"

namespace qsl {

// Type bit of a file handle value, beside the integer bit: a handle is a
// value of its own type so that it cannot be confused with a number.
constexpr uint32_t file_handle_type = 0x04;

// Mode bits of a slot.
constexpr int32_t file_mode_read = 1;
constexpr int32_t file_mode_end_reached = 2;
constexpr int32_t file_mode_write = 4;
constexpr int32_t file_mode_pipe = file_mode_read | file_mode_write;
constexpr int32_t file_mode_end_returned = 8;

}  // namespace qsl
