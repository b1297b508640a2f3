#include "scriptlib/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qsl {
namespace {

// An open descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Opens without blocking (a FIFO would wait for a writer) and refuses what is
// not a regular file.
FileRead open_regular(const std::string& path, Descriptor& out, uint64_t& size) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::missing : FileRead::failed;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) return FileRead::failed;
    if (!S_ISREG(st.st_mode)) return FileRead::not_regular;
    size = uint64_t(st.st_size);
    int flags = fcntl(fd.get(), F_GETFL);
    if (flags >= 0) fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    out.reset(fd.release());
    return FileRead::ok;
}

bool read_all(int fd, uint64_t offset, uint64_t count, std::string& out) {
    out.clear();
    char buffer[65536];
    while (out.size() < count) {
        size_t want = size_t(std::min<uint64_t>(sizeof buffer, count - out.size()));
        ssize_t n = pread(fd, buffer, want, off_t(offset + out.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        out.append(buffer, size_t(n));
    }
    return true;
}

}  // namespace

FileRead read_file_bytes(const std::string& path, std::string& out, uint64_t max_size) {
    Descriptor fd(-1);
    uint64_t size = 0;
    if (FileRead r = open_regular(path, fd, size); r != FileRead::ok) return r;
    if (size > max_size) return FileRead::too_large;
    // A file that grows while it is read is cut at the cap.
    return read_all(fd.get(), 0, max_size, out) ? FileRead::ok : FileRead::failed;
}

FileRead read_file_part(const std::string& path, uint64_t offset, uint64_t count, std::string& out) {
    Descriptor fd(-1);
    uint64_t size = 0;
    if (FileRead r = open_regular(path, fd, size); r != FileRead::ok) return r;
    return read_all(fd.get(), offset, count, out) ? FileRead::ok : FileRead::failed;
}

bool replace_file_bytes(const std::string& path, std::string_view bytes) {
    std::string work = path + ".qsl" + std::to_string(getpid()) + ".tmp";
    Descriptor fd(open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += size_t(n);
    }
    bool ok = written == bytes.size() && fsync(fd.get()) == 0;
    ok = close(fd.release()) == 0 && ok;
    if (ok && std::rename(work.c_str(), path.c_str()) == 0) return true;
    unlink(work.c_str());
    return false;
}

}  // namespace qsl
