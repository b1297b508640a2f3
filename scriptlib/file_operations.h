// What the file and folder functions share: finding the files a name or
// wildcard means, naming targets from wildcard masks, copying through a work
// file, and file times as YmdHms texts.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qsl {

// The name as a script wrote it, split at its last separator.
struct NameParts {
    std::string folder;     // with its trailing separator, as written ("C:\DATA\")
    std::string name;       // the last component
};
NameParts split_name(std::string_view written);

// The root of a name (before its last dot) and its extension (after it).
std::string name_root(std::string_view name);
std::string name_extension(std::string_view name);

bool has_wildcard(std::string_view name);
// The name, as a script wrote it, names an existing folder.
bool names_folder(std::string_view written);

// The files (or, with folders set, the folders) that a name or a wildcard
// name means, as Linux paths in byte order of their names.
std::vector<std::filesystem::path> matching_paths(std::string_view written, bool folders = false);

// A target name from a DOS mask: "?" takes the source's character at that
// place, "*" the rest of the source's part ("*.BAK" on "DATA.TXT" is
// "DATA.BAK").
std::string map_name(std::string_view name, std::string_view mask);

// Copies a file so that the target is replaced whole or not at all: the bytes
// go to a work file beside the target that is renamed over it. The target gets
// the source's permission bits and modification time. Empty on success, else
// the reason.
std::string copy_file_whole(const std::filesystem::path& source, const std::filesystem::path& target);

// A file time as "YYYY:MM:DD:HH:MM:SS" in local time, and back.
std::string ymdhms_text(std::time_t when);
std::optional<std::time_t> parse_ymdhms(std::string_view text);

// Bytes free on the file system of a path; nothing when it cannot be asked.
std::optional<unsigned long long> free_bytes(const std::filesystem::path& path);

}  // namespace qsl
