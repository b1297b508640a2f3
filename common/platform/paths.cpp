#include "common/platform/paths.h"

#include "common/platform/environment.h"
#include "common/platform/text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <string>
#include <vector>

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<std::string_view> split_components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Appends a component as path's operator/= does, on the text: a separator
// unless the text is empty or already ends in one. Joining the text first
// and making a path of it once costs a fraction of a path append per part.
void append_component(std::string& text, std::string_view part) {
    if (!text.empty() && text.back() != '/') text += '/';
    text += part;
}

// The name on disk of `name` in `folder`, as DOS would find it: the exact name
// when it exists, else the first name in byte order that differs only in case.
// Nothing when the folder holds no such entry. A folder that may be passed
// through but not listed keeps the name as written.
bool exists_exactly(const fs::path& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

std::optional<std::string> find_entry(const fs::path& folder, const std::string& name) {
    // The exact name is looked at first: a tool opens most files by the name
    // they have on disk, and a listing of the folder for each is what made
    // finding them slow.
    if (exists_exactly(folder.empty() ? fs::path(name) : folder / name)) return name;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return name;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate(entry->d_name);
        if (candidate == name) {
            best = name;
            break;
        }
        if (equal_no_case(candidate, name) && (!best || candidate < *best)) best = std::string(candidate);
    }
    ::closedir(dir);
    return best;
}

// The text of install_root(): the folder is made a path only once the whole
// path is joined.
std::string install_root_text() {
    std::string root = get_env_or("QUORVANT_ROOT", "");
    if (!root.empty()) return root;
    std::error_code ignored;
    return fs::current_path(ignored).native();
}

}  // namespace

fs::path install_root() { return fs::path(install_root_text()); }

fs::path translate_path(std::string_view path) {
    if (path.empty()) return {};

    char drive = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        path.remove_prefix(2);
    }
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    const std::vector<std::string_view> parts = split_components(path);

    std::string base;
    std::size_t first = 0;
    if (absolute && !parts.empty() && equal_no_case(parts[0], "QUORVANT")) {
        base = install_root_text();
        first = 1;
    } else if (drive != 0) {
        // "C:FILE" (relative to the drive's current folder) is taken from the drive's root.
        const std::string variable = std::string("QUORVANT_DRIVE_") + drive;
        base = get_env_or(variable, "/");
    } else if (absolute) {
        base = "/";
    }

    // Most paths name a file as it stands on disk, or a new file in a folder
    // that does: one look-up of the whole path, or of its folder, spares a
    // look-up of every component.
    if (parts.size() > first) {
        std::string text = base;
        for (std::size_t i = first; i + 1 < parts.size(); ++i) append_component(text, parts[i]);
        const std::size_t folder_length = text.size();
        append_component(text, parts.back());
        fs::path whole(std::move(text));
        if (exists_exactly(whole)) return whole;
        const std::string last(parts.back());
        if (parts.size() > first + 1 && last != "." && last != "..") {
            const fs::path folder(whole.native().substr(0, folder_length));
            if (exists_exactly(folder)) return folder / find_entry(folder, last).value_or(last);
        }
    }

    // Once a component is missing, nothing below it can exist: stop looking.
    fs::path result(base);
    bool looking = true;
    for (std::size_t i = first; i < parts.size(); ++i) {
        const std::string part(parts[i]);
        if (looking && part != "." && part != "..") {
            if (auto found = find_entry(result, part)) {
                result /= *found;
                continue;
            }
            looking = false;
        }
        result /= part;
    }
    return result;
}

fs::path install_file(std::string_view name) {
    std::string dos_path = "\\QUORVANT\\";
    dos_path += name;
    return translate_path(dos_path);
}

}  // namespace qv
