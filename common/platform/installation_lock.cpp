#include "common/platform/installation_lock.h"

#include "common/platform/environment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <string>
#include <thread>

namespace qv {
namespace {

constexpr std::string_view lock_fd_variable = "QUORVANT_LOCK_FD";
constexpr auto poll_interval = std::chrono::milliseconds(20);
constexpr auto default_wait = std::chrono::seconds(3);

int open_lock_file(const std::filesystem::path& lock_file) {
    int fd = ::open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // An existing lock file in a folder the user may not write is still a
    // lock: flock needs no write access.
    if (fd < 0) fd = ::open(lock_file.c_str(), O_RDONLY | O_CLOEXEC);
    return fd;
}

bool lock_now(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// The descriptor named by QUORVANT_LOCK_FD, when it is open on this lock file
// and the lock on it is ours (an flock on the open file that the parent holds
// succeeds at once).
int inherited_descriptor(const std::filesystem::path& lock_file) {
    const auto named = get_env(lock_fd_variable);
    if (!named) return -1;
    int fd = -1;
    const auto [end, error] = std::from_chars(named->data(), named->data() + named->size(), fd);
    if (error != std::errc() || end != named->data() + named->size() || fd < 0) return -1;
    struct stat held {};
    struct stat wanted {};
    if (::fstat(fd, &held) != 0 || ::stat(lock_file.c_str(), &wanted) != 0) return -1;
    if (held.st_dev != wanted.st_dev || held.st_ino != wanted.st_ino) return -1;
    return lock_now(fd) ? fd : -1;
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& lock_file, std::chrono::milliseconds wait) {
    fd_ = open_lock_file(lock_file);
    if (fd_ < 0) return;
    const auto give_up = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (lock_now(fd_)) {
            outcome_ = LockOutcome::taken;
            return;
        }
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= give_up) break;
        std::this_thread::sleep_for(poll_interval);
    }
    outcome_ = LockOutcome::busy;
    ::close(fd_);
    fd_ = -1;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

LockOutcome hold_installation_lock(const std::filesystem::path& lock_file, std::chrono::milliseconds wait) {
    if (inherited_descriptor(lock_file) >= 0) return LockOutcome::inherited;
    // Held until the process ends: never unlocked by hand, since the programs
    // it starts share the lock through the same open file.
    static std::unique_ptr<FileLock> held;
    held = std::make_unique<FileLock>(lock_file, wait);
    if (!held->held()) return held->outcome();
    const int flags = ::fcntl(held->fd_, F_GETFD);
    if (flags >= 0) ::fcntl(held->fd_, F_SETFD, flags & ~FD_CLOEXEC);
    set_env(lock_fd_variable, std::to_string(held->fd_));
    return LockOutcome::taken;
}

std::chrono::milliseconds installation_lock_wait() {
    const auto seconds = get_env("QUORVANT_LOCK_WAIT");
    if (!seconds || seconds->empty()) return default_wait;
    int value = 0;
    const auto [end, error] = std::from_chars(seconds->data(), seconds->data() + seconds->size(), value);
    if (error != std::errc() || end != seconds->data() + seconds->size() || value < 0) return default_wait;
    return std::chrono::seconds(value);
}

}  // namespace qv
