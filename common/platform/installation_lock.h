#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

namespace qv {

// One program at a time writes an installation. The guarantee is an exclusive
// flock on a lock file directly in the install folder: the kernel releases it
// when the holder ends, however it ends, so a killed run never leaves a stale
// lock behind.
//
// Programs that a holder starts (the updater's hand-over batch file and the
// builder, distributor and favourites programs it runs) hold the lock with it,
// without a window in which a third run could take it: the holder's lock
// descriptor is inherited across fork and exec, and QUORVANT_LOCK_FD names it.
// A child whose inherited descriptor is open on this installation's lock file
// holds the lock already (an flock belongs to the open file, which parent and
// child share) and keeps it when its parent ends, until the last program of
// the chain has ended.

enum class LockOutcome {
    taken,        // this program took the lock
    inherited,    // a running program of the suite that started this one holds it
    busy,         // another program held it for the whole wait
    cannot_open,  // the lock file cannot be created or opened
};

// A lock held while the object lives; its descriptor is closed on exec.
class FileLock {
public:
    // Waits up to `wait` for another holder to let go, polling.
    FileLock(const std::filesystem::path& lock_file, std::chrono::milliseconds wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    LockOutcome outcome() const { return outcome_; }
    bool held() const { return outcome_ == LockOutcome::taken; }

private:
    friend LockOutcome hold_installation_lock(const std::filesystem::path&, std::chrono::milliseconds);
    int fd_ = -1;
    LockOutcome outcome_ = LockOutcome::cannot_open;
};

// Takes the installation's lock for the rest of this process's life and hands
// it on to every program this process starts; `inherited` when the program
// that started this one holds it.
LockOutcome hold_installation_lock(const std::filesystem::path& lock_file, std::chrono::milliseconds wait);

// How long a second run waits for the lock: QUORVANT_LOCK_WAIT seconds when
// set (0: not at all), else three seconds.
std::chrono::milliseconds installation_lock_wait();

}  // namespace qv
