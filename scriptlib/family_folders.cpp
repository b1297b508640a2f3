// The folder and disk functions. A drive letter stands for the folder the
// suite's path translation gives it ($QUORVANT_DRIVE_X, else /); the disk
// figures come from statvfs of that folder.
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>

#include "common/platform/environment.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_operations.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

std::string with_separator(std::string text) {
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

void dir_change(Call& call) {
    std::error_code error;
    fs::current_path(script_path(call.text(0)), error);
    if (error) fail_because(call.c, errors::dir_change_failed, call.text(0) + ": " + error.message());
    call.out.set_int(1);
}

void dir_exist(Call& call) {
    std::error_code error;
    call.out.set_int(fs::is_directory(script_path(call.text(0)), error) ? 1 : 0);
}

void dir_get(Call& call) {
    std::error_code error;
    call.out.set_string(with_separator(fs::current_path(error).string()));
}

// The folder of the library, where its language and INI files lie.
void dir_home(Call& call) { call.out.set_string(with_separator(library_folder())); }

// DirWindows(0): the folder of the library's own settings files (win.ini);
// DirWindows(1): the library's folder.
void dir_windows(Call& call) {
    if (call.integer(0) == 1) return dir_home(call);
    std::string home = qv::get_env_or("HOME", ".");
    call.out.set_string(with_separator(home + "/.config/qsleng32"));
}

void dir_itemize(Call& call) {
    std::string mask = call.text(0);
    if (mask.empty()) mask = "*.*";
    std::string out;
    for (const fs::path& folder : matching_paths(mask, true)) {
        if (!out.empty()) out += call.c.in->list_delimiter;
        out += folder.filename().string();
    }
    call.out.set_string(out);
}

void dir_make(Call& call) {
    std::error_code error;
    fs::path folder = script_path(call.text(0));
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error))
        fail_because(call.c, errors::dir_make_failed, call.text(0) + ": " + error.message());
    call.out.set_int(1);
}

// Removes empty folders only, as DOS does.
void dir_remove(Call& call) {
    std::vector<fs::path> folders = matching_paths(call.text(0), true);
    if (folders.empty()) fail_because(call.c, errors::dir_remove_failed, call.text(0) + ": not found");
    for (const fs::path& folder : folders) {
        std::error_code error;
        if (!fs::remove(folder, error) || error)
            fail_because(call.c, errors::dir_remove_failed, folder.string() + ": " + error.message());
    }
    call.out.set_int(1);
}

void dir_rename(Call& call) {
    fs::path from = script_path(call.text(0)), to = script_path(call.text(1));
    std::error_code error;
    if (!fs::is_directory(from, error)) fail_because(call.c, errors::dir_rename_failed, call.text(0) + ": not found");
    if (fs::exists(to, error)) fail_because(call.c, errors::dir_rename_target_exists, call.text(1));
    fs::rename(from, to, error);
    if (error) fail_because(call.c, errors::dir_rename_failed, error.message());
    call.out.set_int(1);
}

// DirSize(folder, flags): the bytes of the folder's files; flags 1 takes
// its subfolders in too.
void dir_size(Call& call) {
    fs::path folder = script_path(call.text(0));
    std::error_code error;
    if (!fs::is_directory(folder, error)) fail_because(call.c, errors::dir_size_not_found, call.text(0));
    double total = 0;
    auto add = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored)) total += double(entry.file_size(ignored));
    };
    if (call.integer(1) & 1) {
        for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error))
            add(*it);
    } else {
        for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator(); it.increment(error))
            add(*it);
    }
    if (total <= 2147483647.0) call.out.set_int(int32_t(total));
    else call.out.set_float(total);
}

void dir_attr_get(Call& call) {
    fs::path folder = script_path(call.text(0));
    std::error_code error;
    if (!fs::is_directory(folder, error)) fail_because(call.c, errors::dir_attr_get_failed, call.text(0));
    std::string letters = "----";
    if ((fs::status(folder, error).permissions() & fs::perms::owner_write) == fs::perms::none) letters[0] = 'R';
    if (folder.filename().string().starts_with('.')) letters[3] = 'H';
    call.out.set_string(letters);
}

// Only R (write permission) can change; H is the name's leading dot.
void dir_attr_set(Call& call) {
    fs::path folder = script_path(call.text(0));
    std::string changes = call.text(1);
    std::error_code error;
    if (!fs::is_directory(folder, error)) fail_because(call.c, errors::dir_attr_set_failed, call.text(0) + ": not found");
    for (size_t i = 0; i + 1 < changes.size(); ++i) {
        char letter = char(std::toupper(static_cast<unsigned char>(changes[i])));
        char sign = changes[i + 1];
        if (sign != '+' && sign != '-') continue;
        if (letter != 'R') fail_because(call.c, errors::dir_attr_set_failed, "only R can be changed on a Linux folder");
        fs::permissions(folder, fs::perms::owner_write | (sign == '+' ? fs::perms::group_write | fs::perms::others_write : fs::perms::none),
                        sign == '+' ? fs::perm_options::remove : fs::perm_options::add, error);
        if (error) fail_because(call.c, errors::dir_attr_set_failed, error.message());
    }
    call.out.set_int(1);
}

// The folder a drive letter stands for; the letter may come as "C", "C:" or
// "C:\". Nothing for a text that names no drive.
std::optional<fs::path> drive_folder(std::string_view drive) {
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0]))) return std::nullopt;
    if (drive.size() > 1 && drive[1] != ':') return std::nullopt;
    std::string root(1, char(std::toupper(static_cast<unsigned char>(drive[0]))));
    root += ":\\";
    return script_path(root);
}

std::optional<struct statvfs> disk_of(std::string_view drive) {
    auto folder = drive_folder(drive);
    struct statvfs info {};
    if (!folder || ::statvfs(folder->c_str(), &info) != 0) return std::nullopt;
    return info;
}

void disk_exist(Call& call) {
    std::string drive = call.text(0);
    if (drive.empty()) fail(errors::disk_exist_bad_drive);
    call.out.set_int(disk_of(drive) ? 1 : 0);
}

// DiskFree and DiskSize take one or more drives separated by blanks or the
// list delimiter and add up their figures.
void disk_figure(Call& call, bool free) {
    std::string drives = call.text(0);
    double total = 0;
    bool any = false;
    for (size_t i = 0; i < drives.size();) {
        size_t end = drives.find_first_of(std::string(" ,") + call.c.in->list_delimiter, i);
        std::string drive = drives.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? drives.size() : end + 1;
        if (drive.empty()) continue;
        auto info = disk_of(drive);
        if (!info) fail_because(call.c, errors::eval_disk_bad_drive, drive);
        total += double(free ? info->f_bavail : info->f_blocks) * double(info->f_frsize);
        any = true;
    }
    if (!any) fail(errors::eval_disk_bad_drive);
    if (total <= 2147483647.0) call.out.set_int(int32_t(total));
    else call.out.set_float(total);
}
void disk_free(Call& call) { disk_figure(call, true); }
void disk_size(Call& call) { disk_figure(call, false); }

// DiskInfo(drive, request): 1 sectors per cluster, 2 bytes per sector,
// 3 free clusters, 4 total clusters (a block of the file system is a
// cluster of 512-byte sectors).
void disk_info(Call& call) {
    auto info = disk_of(call.view(0));
    if (!info) fail_because(call.c, errors::disk_info_bad_drive, call.text(0));
    unsigned long block = info->f_frsize ? info->f_frsize : 512;
    switch (call.integer(1)) {
        case 1: return call.out.set_int(int32_t(block / 512 ? block / 512 : 1));
        case 2: return call.out.set_int(512);
        case 3: return call.out.set_float(double(info->f_bavail));
        case 4: return call.out.set_float(double(info->f_blocks));
    }
    fail(errors::disk_info_bad_request);
}

// The file system type of a folder: the longest mount point above it.
std::string file_system_type(const fs::path& folder) {
    std::ifstream mounts("/proc/self/mounts");
    std::string device, point, type, best_type;
    size_t best = 0;
    std::string path = fs::weakly_canonical(folder).string();
    while (mounts >> device >> point >> type) {
        mounts.ignore(4096, '\n');
        if (path.starts_with(point) && point.size() >= best) {
            best = point.size();
            best_type = type;
        }
    }
    return best_type;
}

// DiskVolInfo(root, request): 1 volume label (Linux file systems as mounted
// carry none here: ""), 2 serial number (the file system id), 3 longest name,
// 4 mount flags, 5 file system type.
void disk_vol_info(Call& call) {
    auto folder = drive_folder(call.view(0));
    auto info = disk_of(call.view(0));
    if (!folder || !info) fail_because(call.c, errors::disk_vol_info_bad_drive, call.text(0));
    switch (call.integer(1)) {
        case 1: return call.out.set_string("");
        case 2: return call.out.set_int(int32_t(info->f_fsid));
        case 3: return call.out.set_int(int32_t(info->f_namemax));
        case 4: return call.out.set_int(int32_t(info->f_flag));
        case 5: return call.out.set_string(file_system_type(*folder));
    }
    fail(errors::disk_vol_info_bad_request);
}

// DiskScan(type): the drives there are: C (the root) and every letter with
// a $QUORVANT_DRIVE_X, joined by the file-list delimiter. Every type asks
// for the same drives.
void disk_scan(Call& call) {
    std::string out;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (letter != 'C' && !qv::get_env(std::string("QUORVANT_DRIVE_") + letter)) continue;
        if (!out.empty()) out += call.c.in->list_delimiter;
        out += letter;
        out += ':';
    }
    call.out.set_string(out);
}

// LogDisk(drive): the drive's folder becomes the working folder.
void log_disk(Call& call) {
    std::string drive = call.text(0);
    if (drive.empty()) fail(errors::logdisk_empty);
    auto folder = drive_folder(drive);
    std::error_code error;
    if (!folder || !fs::is_directory(*folder, error)) fail_because(call.c, errors::logdisk_bad_drive, drive);
    fs::current_path(*folder, error);
    if (error) fail_because(call.c, errors::logdisk_bad_drive, error.message());
    call.out.set_int(1);
}

const Builtin functions[] = {
    {"dirattrget", dir_attr_get}, {"dirattrset", dir_attr_set}, {"dirchange", dir_change},
    {"direxist", dir_exist},      {"dirget", dir_get},          {"dirhome", dir_home},
    {"diritemize", dir_itemize},  {"dirmake", dir_make},        {"dirremove", dir_remove},
    {"dirrename", dir_rename},    {"dirsize", dir_size},        {"dirwindows", dir_windows},
    {"diskexist", disk_exist},    {"diskfree", disk_free},      {"diskinfo", disk_info},
    {"diskscan", disk_scan},      {"disksize", disk_size},      {"diskvolinfo", disk_vol_info},
    {"logdisk", log_disk},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
