// An INI file as a script and the registry store see it: [section] lines
// and key=value lines, sections and keys matched without regard to case.
// A rewrite keeps every other line (comments, blank lines, order) as it was
// and replaces the file through a work file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qsl {

class IniFile {
public:
    // The file's lines; a missing file is an empty one. False when it
    // exists but cannot be read.
    bool load(const std::filesystem::path& path);
    // Writes the lines to a work file renamed over the file; creates the
    // folders above it. False when any step failed (the file is unchanged).
    bool save(const std::filesystem::path& path) const;

    std::optional<std::string> read(std::string_view section, std::string_view key) const;
    // Sets the key, adding it after the section's last key, or the section
    // at the end of the file.
    void write(std::string_view section, std::string_view key, std::string_view value);
    bool delete_key(std::string_view section, std::string_view key);
    bool delete_section(std::string_view section);
    // Makes an empty section when there is none of that name.
    void add_section(std::string_view section);

    std::vector<std::string> sections() const;
    bool has_section(std::string_view section) const;
    std::vector<std::string> keys(std::string_view section) const;

private:
    // The lines of a section: [first, end) after its heading; first = -1
    // when there is no such section.
    struct Span {
        int heading = -1;
        int end = -1;
    };
    Span find_section(std::string_view section) const;
    int find_key(const Span& span, std::string_view key) const;

    std::vector<std::string> lines_;
};

// The section name of a heading line ("[name]"), or nothing.
std::optional<std::string> section_heading(std::string_view line);

}  // namespace qsl
