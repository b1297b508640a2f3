#include "common/platform/files.h"

#include "common/platform/paths.h"
#include "common/platform/text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qv {
namespace {

namespace fs = std::filesystem;

bool stat_path(const fs::path& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

// Glob match of one name part: "*" any run, "?" one character or nothing once
// the name part is used up.
bool match_part(std::string_view pattern, std::string_view name) {
    const std::size_t m = pattern.size(), n = name.size();
    // row[j]: pattern[i..] matches name[j..], computed from the pattern's end.
    std::vector<char> next(n + 1, 0), row(n + 1, 0);
    next[n] = 1;
    for (std::size_t i = m; i-- > 0;) {
        const char p = pattern[i];
        for (std::size_t j = n + 1; j-- > 0;) {
            if (p == '*')
                row[j] = next[j] || (j < n && row[j + 1]);
            else if (j == n)
                row[j] = p == '?' && next[n];
            else if (p == '?')
                row[j] = next[j + 1];
            else
                row[j] = std::toupper(static_cast<unsigned char>(p)) ==
                                 std::toupper(static_cast<unsigned char>(name[j])) &&
                         next[j + 1];
        }
        std::swap(next, row);
    }
    return next[0] != 0;
}

std::pair<std::string_view, std::string_view> split_extension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

bool ends_with_exe(std::string_view name) {
    return name.size() >= 4 && equal_no_case(name.substr(name.size() - 4), ".EXE");
}

}  // namespace

void FileCloser::operator()(std::FILE* file) const noexcept {
    if (file) std::fclose(file);
}

FilePtr open_file(std::string_view path, const char* mode) {
    const fs::path real = translate_path(path);
    if (real.empty()) return nullptr;
    return FilePtr(std::fopen(real.c_str(), mode));
}

bool read_line(std::FILE* file, std::string& line, std::size_t max_chars) {
    line.clear();
    // A file is read by one thread at a time: the bytes are taken without
    // locking the stream for each one, which would cost more than the byte.
    while (line.size() < max_chars) {
        const int c = getc_unlocked(file);
        if (c == EOF) break;
        if (c == '\r') {
            // A CR LF line end reads as LF, even when the CR fills the buffer,
            // so that a CR LF file reads exactly like its LF form.
            const int after = getc_unlocked(file);
            if (after == '\n') {
                line.push_back('\n');
                break;
            }
            if (after != EOF) std::ungetc(after, file);
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    return !line.empty();
}

bool read_whole_line(std::FILE* file, std::string& line) {
    line.clear();
    std::string piece;
    while (read_line(file, piece, 4096)) {
        line += piece;
        if (line.back() == '\n') return true;
    }
    return !line.empty();
}

bool read_limited_line(std::FILE* file, std::string& line, std::size_t max_chars) {
    if (!read_line(file, line, max_chars)) return false;
    if (line.back() != '\n') {
        std::string rest;
        while (read_line(file, rest, max_chars)) {
            if (rest.back() == '\n') {
                line.push_back('\n');
                break;
            }
        }
    }
    return true;
}

namespace {

// The copy through a buffer, for file systems without an in-kernel copy.
bool copy_through_buffer(int in, off_t offset, std::uintmax_t length, int out) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uintmax_t>(length, 256 * 1024)));
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(length, buffer.size()));
        const ssize_t got = ::pread(in, buffer.data(), want, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        if (!write_all_bytes(out, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) return false;
        offset += got;
        length -= static_cast<std::uintmax_t>(got);
    }
    return true;
}

}  // namespace

bool copy_file_bytes(std::FILE* from, std::uintmax_t offset, std::uintmax_t length, std::FILE* to) {
    if (std::fflush(to) != 0) return false;
    const int in = ::fileno(from);
    const int out = ::fileno(to);
    const off_t start = ::lseek(out, 0, SEEK_CUR);
    if (start < 0) return false;
    off_t in_offset = static_cast<off_t>(offset);
    std::uintmax_t left = length;
    bool ok = true;
    while (left > 0) {
        const ssize_t copied = ::copy_file_range(in, &in_offset, out, nullptr, static_cast<std::size_t>(left), 0);
        if (copied > 0) {
            left -= static_cast<std::uintmax_t>(copied);
            continue;
        }
        if (copied < 0 && errno == EINTR) continue;
        // No in-kernel copy between these files: the rest goes through a buffer.
        if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            ok = copy_through_buffer(in, in_offset, left, out);
        } else {
            ok = false;  // a full disk, or a source shorter than asked
        }
        break;
    }
    // The stream takes up the descriptor's position after the bytes copied.
    const off_t end = static_cast<off_t>(start + static_cast<off_t>(length));
    return std::fseek(to, ok ? end : ::lseek(out, 0, SEEK_CUR), SEEK_SET) == 0 && ok;
}

bool read_file_bytes(std::FILE* file, std::uintmax_t offset, std::size_t length, std::string& bytes) {
    bytes.resize(length);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(::fileno(file), bytes.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return true;
}

std::optional<std::uintmax_t> open_file_size(std::FILE* file) {
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0) return std::nullopt;
    return static_cast<std::uintmax_t>(info.st_size);
}

bool open_file_read_only(std::FILE* file) {
    struct stat info;
    return ::fstat(::fileno(file), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
}

bool file_exists(std::string_view path) {
    struct stat info;
    if (stat_path(translate_path(path), info)) return !S_ISDIR(info.st_mode);
    return ends_with_exe(path) && find_suite_program(path).has_value();
}

bool folder_exists(std::string_view path) {
    struct stat info;
    return stat_path(translate_path(path), info) && S_ISDIR(info.st_mode);
}

bool file_exists_as_written(std::string_view path) {
    const auto slash = path.find_last_of("/\\:");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return false;
    const fs::path folder = slash == std::string_view::npos ? fs::path(".") : translate_path(path.substr(0, slash + 1));
    struct stat info;
    return !folder.empty() && stat_path(folder / std::string(name), info) && !S_ISDIR(info.st_mode);
}

std::optional<std::uintmax_t> file_size(std::string_view path) {
    struct stat info;
    if (!stat_path(translate_path(path), info) || S_ISDIR(info.st_mode)) return std::nullopt;
    return static_cast<std::uintmax_t>(info.st_size);
}

bool rename_file(std::string_view from, std::string_view to) {
    const fs::path source = translate_path(from);
    fs::path target = translate_path(to);
    struct stat source_info, target_info;
    if (!stat_path(source, source_info) || target.empty()) return false;
    if (stat_path(target, target_info)) {
        if (source_info.st_dev != target_info.st_dev || source_info.st_ino != target_info.st_ino) {
            errno = EEXIST;
            return false;
        }
        // The same file under another case: give it the name as written.
        const std::string written = [&] {
            std::string text(to);
            const auto slash = text.find_last_of("/\\:");
            return slash == std::string::npos ? text : text.substr(slash + 1);
        }();
        if (written.empty() || written == "." || written == "..") return false;
        target = target.parent_path() / written;
    }
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool delete_file(std::string_view path) {
    const fs::path real = translate_path(path);
    struct stat info;
    if (!stat_path(real, info) || S_ISDIR(info.st_mode)) return false;
    return ::unlink(real.c_str()) == 0;
}

bool make_writable(std::string_view path) {
    const fs::path real = translate_path(path);
    struct stat info;
    if (!stat_path(real, info)) return false;
    // A file that may be written already is left alone: a change of mode to
    // the same mode would still mark it changed, one more inode to write out.
    if ((info.st_mode & S_IWUSR) != 0) return true;
    return ::chmod(real.c_str(), info.st_mode | S_IWUSR) == 0;
}

bool make_read_only(std::string_view path) {
    const fs::path real = translate_path(path);
    struct stat info;
    if (!stat_path(real, info)) return false;
    return ::chmod(real.c_str(), info.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool is_writable(std::string_view path) {
    struct stat info;
    return stat_path(translate_path(path), info) && (info.st_mode & S_IWUSR) != 0;
}

bool is_read_only(std::string_view path) {
    struct stat info;
    return stat_path(translate_path(path), info) && !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

bool create_folders(std::string_view path) {
    const fs::path real = translate_path(path);
    if (real.empty()) return false;
    std::error_code ignored;
    fs::create_directories(real, ignored);
    struct stat info;
    return stat_path(real, info) && S_ISDIR(info.st_mode);
}

bool on_same_mount(std::string_view folder, std::string_view other) {
    struct statx first, second;
    const auto look = [](std::string_view path, struct statx& info) {
        const fs::path real = translate_path(path);
        return !real.empty() && ::statx(AT_FDCWD, real.c_str(), 0, STATX_MNT_ID, &info) == 0 &&
               (info.stx_mask & STATX_MNT_ID) != 0;
    };
    return look(folder, first) && look(other, second) && first.stx_mnt_id == second.stx_mnt_id &&
           first.stx_dev_major == second.stx_dev_major && first.stx_dev_minor == second.stx_dev_minor;
}

bool sync_to_disk(const std::vector<std::string>& folders) {
    std::vector<dev_t> synced;
    bool ok = true;
    for (const std::string& folder : folders) {
        const fs::path real = translate_path(folder.empty() ? std::string_view(".") : std::string_view(folder));
        const int fd = ::open(real.empty() ? "." : real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        if (::fstat(fd, &info) == 0 && std::find(synced.begin(), synced.end(), info.st_dev) == synced.end()) {
            synced.push_back(info.st_dev);
            ok = ::syncfs(fd) == 0 && ok;
        }
        ::close(fd);
    }
    return ok;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    if (pattern.find('.') == std::string_view::npos) return match_part(pattern, name);
    const auto [pattern_base, pattern_ext] = split_extension(pattern);
    const auto [name_base, name_ext] = split_extension(name);
    return match_part(pattern_base, name_base) && match_part(pattern_ext, name_ext);
}

std::vector<FolderEntry> list_matching(std::string_view pattern, bool include_folders) {
    std::string_view folder_part, wildcard = pattern;
    const auto slash = pattern.find_last_of("/\\");
    if (slash != std::string_view::npos) {
        folder_part = pattern.substr(0, slash + 1);
        wildcard = pattern.substr(slash + 1);
    } else if (pattern.size() >= 2 && pattern[1] == ':') {
        folder_part = pattern.substr(0, 2);
        wildcard = pattern.substr(2);
    }
    fs::path folder = folder_part.empty() ? fs::path(".") : translate_path(folder_part);
    std::vector<FolderEntry> entries;
    if (wildcard.empty()) return entries;

    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !wildcard_match(wildcard, name)) continue;
        struct stat info;
        if (!stat_path(folder / std::string(name), info)) continue;
        const bool is_folder = S_ISDIR(info.st_mode);
        if (is_folder && !include_folders) continue;
        entries.push_back({std::string(name), is_folder ? 0 : static_cast<std::uintmax_t>(info.st_size), is_folder});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

fs::path program_folder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path();
}

std::optional<fs::path> find_suite_program(std::string_view name) {
    const auto slash = name.find_last_of("/\\:");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    if (ends_with_exe(name)) name.remove_suffix(4);
    if (name.empty() || name == "." || name == "..") return std::nullopt;

    const fs::path folder = program_folder();
    if (folder.empty()) return std::nullopt;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate(entry->d_name);
        if (!equal_no_case(candidate, name)) continue;
        struct stat info;
        const fs::path full = folder / std::string(candidate);
        if (!stat_path(full, info) || !S_ISREG(info.st_mode) || ::access(full.c_str(), X_OK) != 0) continue;
        if (candidate == name) {
            best = std::string(candidate);
            break;
        }
        if (!best || candidate < *best) best = std::string(candidate);
    }
    ::closedir(dir);
    if (!best) return std::nullopt;
    return folder / *best;
}

bool read_found_file(const fs::path& found, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(found.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    // Sized by the file, then read to its end (it may have grown meanwhile).
    if (ok) bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t got = 0;
    while (ok) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(ok ? got : 0);
    return ok;
}

bool write_all_bytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace qv
