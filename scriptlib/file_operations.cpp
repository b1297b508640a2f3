#include "scriptlib/file_operations.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <cstring>

#include "common/platform/files.h"
#include "common/platform/work_file.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

std::string map_part(std::string_view source, std::string_view mask) {
    std::string out;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '*') {
            if (i < source.size()) out += source.substr(i);
            break;
        }
        if (mask[i] == '?') {
            if (i < source.size()) out += source[i];
        } else {
            out += mask[i];
        }
    }
    return out;
}

}  // namespace

NameParts split_name(std::string_view written) {
    size_t cut = written.find_last_of("/\\");
    if (cut == std::string_view::npos && written.size() >= 2 && written[1] == ':') cut = 1;
    if (cut == std::string_view::npos) return {"", std::string(written)};
    return {std::string(written.substr(0, cut + 1)), std::string(written.substr(cut + 1))};
}

std::string name_root(std::string_view name) {
    size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

std::string name_extension(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? "" : std::string(name.substr(dot + 1));
}

bool has_wildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

std::vector<fs::path> matching_paths(std::string_view written, bool folders) {
    std::vector<fs::path> paths;
    NameParts parts = split_name(written);
    if (parts.name.empty()) return paths;
    fs::path folder = parts.folder.empty() ? script_path(".") : script_path(parts.folder);
    if (!has_wildcard(parts.name)) {
        fs::path one = script_path(written);
        std::error_code error;
        auto status = fs::status(one, error);
        if (!error && (folders ? fs::is_directory(status) : fs::exists(status) && !fs::is_directory(status)))
            paths.push_back(one);
        return paths;
    }
    for (const qv::FolderEntry& entry : qv::list_matching((folder / parts.name).string(), folders)) {
        if (entry.is_folder == folders) paths.push_back(folder / entry.name);
    }
    return paths;
}

bool names_folder(std::string_view written) {
    std::error_code error;
    return !written.empty() && fs::is_directory(script_path(written), error);
}

std::string map_name(std::string_view name, std::string_view mask) {
    if (!has_wildcard(mask)) return std::string(mask);
    size_t mask_dot = mask.rfind('.');
    if (mask_dot == std::string_view::npos) return map_part(name, mask);
    std::string root = map_part(name_root(name), mask.substr(0, mask_dot));
    std::string extension = map_part(name_extension(name), mask.substr(mask_dot + 1));
    return extension.empty() ? root : root + "." + extension;
}

std::string copy_file_whole(const fs::path& source, const fs::path& target) {
    qv::FilePtr in = qv::open_file(source.string(), "rb");
    if (!in) return "the source cannot be read: " + system_reason();
    qv::WorkFile work(target.string() + ".qsl-work", target.string());
    if (!work.is_open()) return "the target's folder cannot be written: " + system_reason();
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, in.get())) > 0) {
        if (std::fwrite(block, 1, got, work.file()) != got) return "writing the target failed: " + system_reason();
    }
    if (std::ferror(in.get())) return "reading the source failed: " + system_reason();
    if (!work.commit()) return "the target could not be replaced: " + system_reason();
    std::error_code ignored;
    fs::permissions(target, fs::status(source, ignored).permissions(), ignored);
    fs::last_write_time(target, fs::last_write_time(source, ignored), ignored);
    return "";
}

std::string ymdhms_text(std::time_t when) {
    std::tm parts{};
    localtime_r(&when, &parts);
    char text[80];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d:%02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::optional<std::time_t> parse_ymdhms(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::string copy(text);
    int fields = std::sscanf(copy.c_str(), "%d:%d:%d:%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (fields < 3 || y < 1970 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 ||
        mi < 0 || mi > 59 || s < 0 || s > 59)
        return std::nullopt;
    std::tm parts{};
    parts.tm_year = y - 1900;
    parts.tm_mon = mo - 1;
    parts.tm_mday = d;
    parts.tm_hour = h;
    parts.tm_min = mi;
    parts.tm_sec = s;
    parts.tm_isdst = -1;
    std::time_t when = std::mktime(&parts);
    if (when == std::time_t(-1)) return std::nullopt;
    return when;
}

std::optional<unsigned long long> free_bytes(const fs::path& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<unsigned long long>(info.f_bavail) * info.f_frsize;
}

}  // namespace qsl
