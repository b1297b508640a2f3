#include "common/platform/work_file.h"

#include "common/platform/environment.h"
#include "common/platform/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include <utility>

namespace qv {
namespace {

bool sync_folder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Puts the work file in the target's place; with reuse, the target's old
// content takes the work file's name in the same atomic step. A target that
// does not exist yet, or a file system without the exchange, gets a rename.
bool put_in_place(const std::filesystem::path& work, const std::filesystem::path& target, WorkFileMode mode) {
    if (mode == WorkFileMode::reuse) {
        if (::renameat2(AT_FDCWD, work.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) return true;
        if (errno != ENOENT && errno != EINVAL && errno != ENOSYS) return false;
    }
    return ::rename(work.c_str(), target.c_str()) == 0;
}

}  // namespace

WorkFile::WorkFile(std::string_view work_path, std::string_view target_path, WorkFileMode mode)
    : work_(translate_path(work_path)), target_(translate_path(target_path)), mode_(mode) {
    if (work_.empty() || target_.empty() || work_ == target_) return;
    // Reused: written over from the start without freeing its blocks; the
    // commit cuts it to the length written. The stream only writes, so that a
    // seek in it never reads back the block it lands in.
    if (mode_ == WorkFileMode::reuse) {
        const int fd = ::open(work_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0 && !(file_ = ::fdopen(fd, "wb"))) ::close(fd);
        return;
    }
    file_ = std::fopen(work_.c_str(), "wb");
}

WorkFile::~WorkFile() {
    abandon();
}

WorkFile::WorkFile(WorkFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      work_(std::move(other.work_)),
      target_(std::move(other.target_)),
      mode_(other.mode_),
      write_ahead_(other.write_ahead_) {}

WorkFile& WorkFile::operator=(WorkFile&& other) noexcept {
    if (this != &other) {
        abandon();
        file_ = std::exchange(other.file_, nullptr);
        work_ = std::move(other.work_);
        target_ = std::move(other.target_);
        mode_ = other.mode_;
        write_ahead_ = other.write_ahead_;
    }
    return *this;
}

bool WorkFile::commit() {
    if (!file_) return false;
    std::FILE* file = std::exchange(file_, nullptr);
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (ok && mode_ == WorkFileMode::reuse) {
        // Cut only a work file longer than what was written: a cut takes the
        // file system's journal even when it frees nothing.
        const long length = std::ftell(file);
        struct stat info;
        ok = length >= 0 && ::fstat(::fileno(file), &info) == 0;
        if (ok && info.st_size > length) ok = ::ftruncate(::fileno(file), static_cast<off_t>(length)) == 0;
    }
    if (ok && write_ahead_) ::sync_file_range(::fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (ok && env_flag("QUORVANT_FSYNC")) ok = ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = put_in_place(work_, target_, mode_);
    if (!ok) {
        ::unlink(work_.c_str());
        return false;
    }
    if (env_flag("QUORVANT_FSYNC")) sync_folder(target_.parent_path());
    return true;
}

void WorkFile::abandon() {
    if (!file_) return;
    std::fclose(std::exchange(file_, nullptr));
    ::unlink(work_.c_str());
}

WorkFileRemoval::WorkFileRemoval(std::string_view work_path) : work_(translate_path(work_path)) {}

WorkFileRemoval::~WorkFileRemoval() {
    if (!work_.empty()) ::unlink(work_.c_str());
}

}  // namespace qv
