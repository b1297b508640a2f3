// Whole files as bytes for the library's functions: reading only regular
// files and at most a given size, and replacing a file through a work file
// renamed over it, so that a failure leaves the old content.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qsl {

enum class FileRead { ok, missing, not_regular, too_large, failed };

// Reads the file whole when it is a regular file of at most max_size bytes.
FileRead read_file_bytes(const std::string& path, std::string& out, uint64_t max_size);
// Reads count bytes (or up to the end) from offset of a regular file.
FileRead read_file_part(const std::string& path, uint64_t offset, uint64_t count, std::string& out);
// Writes bytes as the file's new content through a work file.
bool replace_file_bytes(const std::string& path, std::string_view bytes);

}  // namespace qsl
