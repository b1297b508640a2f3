// No C++ exception leaves the library through an exported entry point: a
// host may be written in C. Every entry point and the statement wrapper turn
// the exception they catch into the library's error number.
#pragma once

namespace qsl {

// Inside a catch block: a ScriptError's own number, 3096 for exhausted
// memory, 3098 for any other exception.
int current_exception_error() noexcept;

}  // namespace qsl
