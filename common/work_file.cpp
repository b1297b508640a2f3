#include "common/work_file.h"

#include "common/environment.h"
#include "common/paths.h"

#include <fcntl.h>
#include <unistd.h>

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

}  // namespace

WorkFile::WorkFile(std::string_view work_path, std::string_view target_path)
    : work_(translate_path(work_path)), target_(translate_path(target_path)) {
    if (!work_.empty() && !target_.empty() && work_ != target_) file_ = std::fopen(work_.c_str(), "wb");
}

WorkFile::~WorkFile() {
    abandon();
}

WorkFile::WorkFile(WorkFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), work_(std::move(other.work_)), target_(std::move(other.target_)) {}

WorkFile& WorkFile::operator=(WorkFile&& other) noexcept {
    if (this != &other) {
        abandon();
        file_ = std::exchange(other.file_, nullptr);
        work_ = std::move(other.work_);
        target_ = std::move(other.target_);
    }
    return *this;
}

bool WorkFile::commit() {
    if (!file_) return false;
    std::FILE* file = std::exchange(file_, nullptr);
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (ok && env_flag("QUORVANT_FSYNC")) ok = ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = ::rename(work_.c_str(), target_.c_str()) == 0;
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

}  // namespace qv
