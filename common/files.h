#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Every function here takes a path in any form translate_path() accepts.

struct FileCloser {
    void operator()(std::FILE* file) const noexcept;
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen on the translated path; null when it cannot be opened.
FilePtr open_file(std::string_view path, const char* mode);

// Reads one text line as fgets would into a buffer of max_chars + 1: at most
// max_chars characters, the line feed included when it fits. A carriage return
// just before the line feed is dropped. False at the end of the file.
bool read_line(std::FILE* file, std::string& line, std::size_t max_chars);

bool file_exists(std::string_view path);
bool folder_exists(std::string_view path);
std::optional<std::uintmax_t> file_size(std::string_view path);
bool rename_file(std::string_view from, std::string_view to);
bool delete_file(std::string_view path);
bool make_writable(std::string_view path);
bool create_folders(std::string_view path);

struct FolderEntry {
    std::string name;
    std::uintmax_t size = 0;
    bool is_folder = false;
};

// DOS wildcard match ("*", "?", "name.ext" rules), without regard to case.
bool wildcard_match(std::string_view pattern, std::string_view name);

// The entries of a folder whose names match the wildcard in the last component
// of the pattern ("\QUORVANT\UPDATES\?U??????.CLC"), in byte order of the names.
std::vector<FolderEntry> list_matching(std::string_view pattern);

}  // namespace qv
