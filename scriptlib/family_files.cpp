// The file functions: copy, move, rename, delete, append, compare, attributes,
// times, sizes, lists and name parsing. Names go through the suite's path
// translation and may hold DOS wildcards where a function takes several
// files. Attributes on Linux: R is a file without write permission, H a name
// that starts with a dot, S anything but a regular file; A has no
// counterpart and always shows "-".
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/work_file.h"
#include "scriptlib/date_time.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_operations.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

std::string joined(const Context& c, const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        if (!out.empty()) out += c.in->list_delimiter;
        out += name;
    }
    return out;
}

bool same_file(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// The attribute letters of a file or folder.
std::string attributes_of(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return "";
    std::string letters = "----";
    if (!(info.st_mode & S_IWUSR)) letters[0] = 'R';
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) letters[2] = 'S';
    if (path.filename().string().starts_with('.')) letters[3] = 'H';
    return letters;
}

// Applies "R+", "r-", ... to one file; the reason when it cannot be done.
std::string set_attributes(const fs::path& path, std::string_view changes) {
    std::string have = attributes_of(path);
    if (have.empty()) return "not found";
    for (size_t i = 0; i + 1 < changes.size(); i += 2) {
        while (i < changes.size() && (changes[i] == ' ' || changes[i] == ',')) ++i;
        if (i + 1 >= changes.size()) break;
        char letter = char(std::toupper(static_cast<unsigned char>(changes[i])));
        char sign = changes[i + 1];
        if (sign != '+' && sign != '-') return "an attribute letter must be followed by + or -";
        bool on = sign == '+';
        std::error_code error;
        switch (letter) {
            case 'R':
                if (on)
                    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                                    fs::perm_options::remove, error);
                else
                    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
                if (error) return error.message();
                break;
            case 'H':
                if (on != (have[3] == 'H')) return "a file is hidden by a name that starts with a dot; rename it instead";
                break;
            case 'S':
                if (on != (have[2] == 'S')) return "the system attribute cannot be set on Linux";
                break;
            case 'A':
                if (on) return "Linux files have no archive attribute";
                break;
            default:
                return std::string("unknown attribute letter ") + letter;
        }
    }
    return "";
}

// Asks whether an existing target may be replaced (the warning flag).
bool may_replace(const char* title, const fs::path& target, bool warn) {
    std::error_code error;
    if (!warn || !fs::exists(target, error)) return true;
    return show_box(title, "Replace the existing file " + target.string() + "?", QSL_MB_YESNO) == QSL_ID_YES;
}

struct CopyErrors {
    const char* title;
    int no_match, failed, same, no_room, bad_target;
};
constexpr CopyErrors copy_errors{"FileCopy", errors::file_copy_no_match, errors::file_copy_failed,
                                 errors::file_copy_same_file, errors::file_copy_no_room,
                                 errors::file_copy_bad_target};
constexpr CopyErrors move_errors{"FileMove", errors::file_move_no_match, errors::file_move_failed,
                                 errors::file_move_same_file, errors::file_move_no_room,
                                 errors::file_move_bad_target};

// The target of each source: a folder takes the source's name, a mask is
// filled from it, a plain name is the target of a single source.
std::vector<std::pair<fs::path, fs::path>> plan_targets(Call& call, const CopyErrors& e) {
    std::string source = call.text(0), target = call.text(1);
    if (source.empty() || target.empty()) fail(errors::copy_move_no_name);
    std::vector<fs::path> sources = matching_paths(source);
    if (sources.empty()) fail_because(call.c, e.no_match, source);
    NameParts to = split_name(target);
    fs::path target_path = script_path(target);
    std::error_code error;
    bool into_folder = to.name.empty() || fs::is_directory(target_path, error);
    if (!into_folder && !has_wildcard(to.name) && sources.size() > 1) fail(errors::copy_move_several_to_one);
    std::vector<std::pair<fs::path, fs::path>> plan;
    for (const fs::path& from : sources) {
        fs::path dest;
        if (into_folder) {
            dest = target_path / from.filename();
        } else {
            std::string name = map_name(from.filename().string(), to.name);
            if (name.empty()) fail_because(call.c, errors::copy_move_bad_target, target);
            dest = (to.folder.empty() ? script_path(".") : script_path(to.folder)) / name;
        }
        plan.emplace_back(from, dest);
    }
    return plan;
}

void fail_on_room(Call& call, const CopyErrors& e, const fs::path& from, const fs::path& to) {
    std::error_code error;
    auto size = fs::file_size(from, error);
    auto room = free_bytes(to.parent_path().empty() ? fs::path(".") : to.parent_path());
    if (!error && room && size > *room) fail_because(call.c, e.no_room, to.string());
}

void copy_files(Call& call, const CopyErrors& e, bool move, const std::string* attributes) {
    bool warn = call.integer(2) != 0;
    for (auto& [from, to] : plan_targets(call, e)) {
        if (same_file(from, to)) fail_because(call.c, e.same, from.string());
        if (!may_replace(e.title, to, warn)) continue;
        std::error_code error;
        if (move) {
            fs::rename(from, to, error);
            if (!error) continue;
            if (error != std::errc::cross_device_link) fail_because(call.c, e.failed, to.string() + ": " + error.message());
        }
        fail_on_room(call, e, from, to);
        std::string why = copy_file_whole(from, to);
        if (!why.empty()) fail_because(call.c, e.failed, to.string() + ": " + why);
        if (move && !qv::delete_file(from.string())) fail_because(call.c, e.failed, from.string() + ": " + system_reason());
        if (attributes) {
            std::string reason = set_attributes(to, *attributes);
            if (!reason.empty()) fail_because(call.c, errors::file_attr_set_failed, to.string() + ": " + reason);
        }
    }
    call.out.set_int(1);
}

void file_copy(Call& call) { copy_files(call, copy_errors, false, nullptr); }
void file_move(Call& call) { copy_files(call, move_errors, true, nullptr); }
void file_copy_attr(Call& call) {
    std::string attributes = call.text(3);
    copy_files(call, copy_errors, false, &attributes);
}
void file_move_attr(Call& call) {
    std::string attributes = call.text(3);
    copy_files(call, move_errors, true, &attributes);
}

// FileRename(from, to): never replaces another file, as DOS renames.
void file_rename(Call& call) {
    std::string from = call.text(0), to = call.text(1);
    if (from.empty() || to.empty()) fail(errors::file_rename_no_name);
    std::vector<fs::path> sources = matching_paths(from);
    if (sources.empty()) fail_because(call.c, errors::file_rename_failed, from + ": not found");
    NameParts target = split_name(to);
    if (sources.size() > 1 && !has_wildcard(target.name)) fail(errors::file_rename_no_name);
    for (const fs::path& source : sources) {
        fs::path dest = (target.folder.empty() ? source.parent_path() : script_path(target.folder)) /
                        map_name(source.filename().string(), target.name);
        if (!qv::rename_file(source.string(), dest.string()))
            fail_because(call.c, errors::file_rename_failed, dest.string() + ": the target exists or cannot be made");
    }
    call.out.set_int(1);
}

// A read-only file is not deleted, as on DOS.
void file_delete(Call& call) {
    std::string names = call.text(0);
    if (names.empty()) fail(errors::file_delete_no_name);
    std::vector<fs::path> files = matching_paths(names);
    if (files.empty()) fail_because(call.c, errors::file_delete_no_match, names);
    for (const fs::path& file : files) {
        if (attributes_of(file)[0] == 'R') fail_because(call.c, errors::file_delete_failed, file.string() + ": read-only");
        if (!qv::delete_file(file.string()))
            fail_because(call.c, errors::file_delete_failed, file.string() + ": " + system_reason());
    }
    call.out.set_int(1);
}

// FileAppend(source, target): the target is rebuilt in a work file from its
// old bytes and the sources' and renamed over the old one.
void file_append(Call& call) {
    std::string source = call.text(0);
    fs::path target = script_path(call.text(1));
    std::vector<fs::path> sources = matching_paths(source);
    if (sources.empty()) fail_because(call.c, errors::file_append_not_found, source);
    qv::WorkFile work(target.string() + ".qsl-work", target.string());
    if (!work.is_open()) fail_because(call.c, errors::file_append_open_failed, target.string() + ": " + system_reason());
    auto copy_in = [&](const fs::path& from) {
        qv::FilePtr in = qv::open_file(from.string(), "rb");
        if (!in) return false;
        char block[65536];
        size_t got;
        while ((got = std::fread(block, 1, sizeof block, in.get())) > 0)
            if (std::fwrite(block, 1, got, work.file()) != got) return false;
        return !std::ferror(in.get());
    };
    std::error_code error;
    if (fs::exists(target, error) && !copy_in(target))
        fail_because(call.c, errors::file_append_open_failed, target.string() + ": " + system_reason());
    for (const fs::path& from : sources) {
        if (same_file(from, target)) fail_because(call.c, errors::file_append_same_file, from.string());
        if (!copy_in(from)) fail_because(call.c, errors::file_append_failed, from.string() + ": " + system_reason());
    }
    auto room = free_bytes(target.parent_path().empty() ? fs::path(".") : target.parent_path());
    if (room && *room == 0) fail_because(call.c, errors::file_append_no_room, target.string());
    if (!work.commit()) fail_because(call.c, errors::file_append_failed, target.string() + ": " + system_reason());
    call.out.set_int(1);
}

// FileCompare(a, b): 0 when the contents are equal; otherwise 1 or -1 when
// the first or the second file is newer, 2 or -2 when (at the same time)
// the first or the second is larger, 3 when only the bytes differ.
void file_compare(Call& call) {
    fs::path a = script_path(call.text(0)), b = script_path(call.text(1));
    std::error_code error;
    if (!fs::is_regular_file(a, error)) fail_because(call.c, errors::file_compare_first, a.string());
    if (!fs::is_regular_file(b, error)) fail_because(call.c, errors::file_compare_second, b.string());
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    bool equal = fs::file_size(a, error) == fs::file_size(b, error);
    while (equal && fa && fb) {
        char ba[8192], bb[8192];
        fa.read(ba, sizeof ba);
        fb.read(bb, sizeof bb);
        equal = fa.gcount() == fb.gcount() && std::memcmp(ba, bb, size_t(fa.gcount())) == 0;
    }
    if (equal) return call.out.set_int(0);
    auto ta = fs::last_write_time(a, error), tb = fs::last_write_time(b, error);
    if (ta != tb) return call.out.set_int(ta > tb ? 1 : -1);
    auto sa = fs::file_size(a, error), sb = fs::file_size(b, error);
    if (sa != sb) return call.out.set_int(sa > sb ? 2 : -2);
    call.out.set_int(3);
}

void file_attr_get(Call& call) {
    std::string letters = attributes_of(script_path(call.text(0)));
    if (letters.empty()) fail_because(call.c, errors::file_attr_get_failed, call.text(0));
    call.out.set_string(letters);
}

void file_attr_set(Call& call) {
    std::string names = call.text(0), changes = call.text(1);
    std::vector<fs::path> files = matching_paths(names);
    if (files.empty()) fail_because(call.c, errors::file_attr_set_failed, names + ": not found");
    for (const fs::path& file : files) {
        std::string reason = set_attributes(file, changes);
        if (!reason.empty()) fail_because(call.c, errors::file_attr_set_failed, file.string() + ": " + reason);
    }
    call.out.set_int(1);
}

void file_exist(Call& call) {
    std::error_code error;
    call.out.set_int(fs::is_regular_file(script_path(call.text(0)), error) ? 1 : 0);
}

void file_size(Call& call) {
    std::string names = call.text(0);
    if (names.empty()) fail(errors::file_size_no_name);
    std::vector<fs::path> files = matching_paths(names);
    if (files.empty()) fail_because(call.c, errors::file_size_not_found, names);
    double total = 0;
    std::error_code error;
    for (const fs::path& file : files) total += double(fs::file_size(file, error));
    if (total <= 2147483647.0) call.out.set_int(int32_t(total));
    else call.out.set_float(total);
}

void file_itemize(Call& call) {
    std::string mask = call.text(0);
    if (mask.empty()) mask = "*.*";
    std::vector<std::string> names;
    for (const fs::path& file : matching_paths(mask)) names.push_back(file.filename().string());
    call.out.set_string(joined(call.c, names));
}

// FileLocate(name): the working folder, then every folder of $PATH.
void file_locate(Call& call) {
    std::string name = call.text(0);
    std::error_code error;
    fs::path here = script_path(name);
    if (fs::is_regular_file(here, error)) return call.out.set_string(fs::absolute(here, error).string());
    std::string path = qv::get_env_or("PATH", "");
    for (size_t start = 0; start <= path.size();) {
        size_t colon = path.find(':', start);
        std::string folder = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!folder.empty()) {
            fs::path candidate = script_path(folder + "/" + name);
            if (fs::is_regular_file(candidate, error)) return call.out.set_string(candidate.string());
        }
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    call.out.set_string("");
}

void file_full_name(Call& call) {
    std::string name = call.text(0);
    if (name.empty()) fail(errors::file_full_name_failed);
    std::error_code error;
    call.out.set_string(fs::absolute(script_path(name), error).lexically_normal().string());
}

// FileNameLong/Short: the full name as it is on disk (Linux has no short names).
void file_name_on_disk(Call& call, int not_found) {
    std::error_code error;
    fs::path path = script_path(call.text(0));
    if (!fs::exists(path, error)) fail_because(call.c, not_found, call.text(0));
    call.out.set_string(fs::absolute(path, error).lexically_normal().string());
}
void file_name_long(Call& call) { file_name_on_disk(call, errors::file_name_long_failed); }
void file_name_short(Call& call) { file_name_on_disk(call, errors::file_name_short_failed); }

void file_root(Call& call) { call.out.set_string(name_root(split_name(call.view(0)).name)); }
void file_extension(Call& call) { call.out.set_string(name_extension(split_name(call.view(0)).name)); }

// FilePath(name): the folder part as written, with its separator; a name
// without one lies in the working folder.
void file_path(Call& call) {
    NameParts parts = split_name(call.view(0));
    if (!parts.folder.empty()) return call.out.set_string(parts.folder);
    std::error_code error;
    call.out.set_string(fs::current_path(error).string() + "/");
}

void file_map_name(Call& call) {
    std::string mask = call.text(1);
    if (mask.empty()) fail(errors::file_map_name_failed);
    NameParts name = split_name(call.view(0)), target = split_name(mask);
    call.out.set_string(target.folder + map_name(name.name, target.name));
}
void file_name_eval1(Call& call) { file_full_name(call); }
void file_name_eval2(Call& call) { file_map_name(call); }

// Times: 1 the last status change (Linux keeps no creation time for every
// file system), 2 the last write, 3 the last access.
std::optional<struct stat> stat_of(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return info;
}

std::time_t time_of(const struct stat& info, int kind) {
    return kind == 1 ? info.st_ctime : kind == 3 ? info.st_atime : info.st_mtime;
}

void file_time_get(Call& call) {
    auto info = stat_of(script_path(call.text(0)));
    if (!info) fail_because(call.c, errors::file_time_get_failed, call.text(0));
    call.out.set_string(ymdhms_text(info->st_mtime));
}
void file_ymdhms(Call& call) { file_time_get(call); }

void file_time_get_ex(Call& call) {
    int kind = call.integer(1);
    if (kind < 1 || kind > 3) fail(errors::file_time_ex_bad_type);
    auto info = stat_of(script_path(call.text(0)));
    if (!info) fail_because(call.c, errors::file_time_ex_not_found, call.text(0));
    call.out.set_string(ymdhms_text(time_of(*info, kind)));
}

// The DOS packed date and time of the file's last write.
void file_time_code(Call& call) {
    auto info = stat_of(script_path(call.text(0)));
    if (!info) fail_because(call.c, errors::file_time_get_failed, call.text(0));
    call.out.set_int(int32_t(dos_date_time(info->st_mtime)));
}

// Sets the write time (kind 2), the access time (3) or both (0); the status
// change time (1) cannot be set on Linux.
void set_times(Call& call, std::string_view names, std::time_t when, int kind, int error_number) {
    if (kind == 1) fail_because(call.c, errors::file_time_ex_bad_type, "Linux sets the status change time itself");
    std::vector<fs::path> files = matching_paths(names);
    if (files.empty()) fail_because(call.c, error_number, std::string(names) + ": not found");
    for (const fs::path& file : files) {
        struct timespec times[2] = {{when, 0}, {when, 0}};
        if (kind == 2) times[0].tv_nsec = UTIME_OMIT;
        if (kind == 3) times[1].tv_nsec = UTIME_OMIT;
        if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0)
            fail_because(call.c, error_number, file.string() + ": " + system_reason());
    }
    call.out.set_int(1);
}

std::time_t time_argument(Call& call, int i, int error_number) {
    auto when = parse_ymdhms(call.view(i));
    if (!when) fail_because(call.c, error_number, "not a YYYY:MM:DD:HH:MM:SS time: " + call.text(i));
    return *when;
}

void file_time_set(Call& call) {
    set_times(call, call.view(0), time_argument(call, 1, errors::file_time_touch_failed), 2,
              errors::file_time_touch_failed);
}
void file_time_set_ex(Call& call) {
    int kind = call.integer(2);
    if (kind < 0 || kind > 3) fail(errors::file_time_ex_bad_type);
    set_times(call, call.view(0), time_argument(call, 1, errors::file_time_ex_not_found), kind,
              errors::file_time_ex_not_found);
}
void file_time_touch(Call& call) {
    set_times(call, call.view(0), std::time(nullptr), 0, errors::file_time_touch_failed);
}

void file_ver_info(Call& call) {
    fail_because(call.c, errors::file_ver_info_failed, "Linux programs and libraries carry no version resource");
}

// InstallFile(source, target, folder, delete source, flags): a plain copy
// into the folder (compressed sources are not expanded); returns the target.
void install_file(Call& call) {
    fs::path source = script_path(call.text(0));
    std::string target_name = call.text(1), folder = call.text(2);
    std::error_code error;
    if (!fs::is_regular_file(source, error)) fail_because(call.c, errors::install_source_not_found, source.string());
    if (target_name.empty()) target_name = source.filename().string();
    fs::path target = folder.empty() ? script_path(target_name) : script_path(folder) / target_name;
    std::string why = copy_file_whole(source, target);
    if (!why.empty()) fail_because(call.c, errors::install_failed, target.string() + ": " + why);
    if (call.integer(3)) qv::delete_file(source.string());
    call.out.set_string(target.string());
}

const Builtin functions[] = {
    {"fileappend", file_append},       {"fileattrget", file_attr_get},     {"fileattrset", file_attr_set},
    {"filecompare", file_compare},     {"filecopy", file_copy},            {"filecopyattr", file_copy_attr},
    {"filedelete", file_delete},       {"fileexist", file_exist},          {"fileextension", file_extension},
    {"filefullname", file_full_name},  {"fileitemize", file_itemize},      {"filelocate", file_locate},
    {"filemapname", file_map_name},    {"filemove", file_move},            {"filemoveattr", file_move_attr},
    {"filenameeval1", file_name_eval1}, {"filenameeval2", file_name_eval2}, {"filenamelong", file_name_long},
    {"filenameshort", file_name_short}, {"filepath", file_path},           {"filerename", file_rename},
    {"fileroot", file_root},           {"filesize", file_size},            {"filetimecode", file_time_code},
    {"filetimeget", file_time_get},    {"filetimegetex", file_time_get_ex}, {"filetimeset", file_time_set},
    {"filetimesetex", file_time_set_ex}, {"filetimetouch", file_time_touch}, {"fileverinfo", file_ver_info},
    {"fileymdhms", file_ymdhms},       {"installfile", install_file},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
