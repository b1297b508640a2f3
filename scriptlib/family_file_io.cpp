// Line file input and output. A script reads and writes text files line by
// line through five slots; the end of a file is the text "*EOF*" in-band.
// Only LF ends a line, CR is dropped wherever it stands, and Ctrl+Z ends a
// file that is not a pipe.
//
// Sharing modes (intcontrol 39 and 40) become advisory locks: 0 and 2 take
// the file exclusively, 1 lets others read, 3 takes no lock; so two opens of
// one file for WRITE, or a READ of a file open for WRITE, fail as they did.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/platform/files.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_slots.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

constexpr const char* end_of_file = "*EOF*";
constexpr int unbuffered_line_max = 1279;
constexpr char ctrl_z = 26;

bool same_word(std::string_view a, const char* b) {
    size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}

int lock_for(int share_mode) {
    switch (share_mode) {
        case 1: return LOCK_SH;
        case 3: return 0;
        default: return LOCK_EX;
    }
}

FileSlot* slot_of(Context& c, int32_t handle) {
    for (FileSlot& slot : c.in->files)
        if (slot.mode && slot.descriptor == handle) return &slot;
    return nullptr;
}

// The slot a handle argument names; `bad` when the value is no file handle,
// `not_open` when no slot holds it.
FileSlot& open_slot(Call& call, int bad, int not_open) {
    const Value& handle = call.args[0];
    if (!(handle.r.type & file_handle_type)) fail(bad);
    FileSlot* slot = slot_of(call.c, handle.r.int_value);
    if (!slot) fail(not_open);
    return *slot;
}

void release(FileSlot& slot) {
    ::close(slot.descriptor);
    if (slot.buffer) QslGlobalFree(slot.buffer);
    slot = FileSlot{};
}

// FileOpen(name, mode).
void file_open(Call& call) {
    Instance& in = *call.c.in;
    FileSlot* slot = nullptr;
    for (FileSlot& s : in.files)
        if (!s.mode) {
            slot = &s;
            break;
        }
    if (!slot) fail(errors::file_open_too_many);
    std::string_view mode = call.view(1);
    int flags, lock, slot_mode;
    if (same_word(mode, "READ")) {
        flags = O_RDONLY;
        lock = lock_for(in.share_read);
        slot_mode = file_mode_read;
    } else if (same_word(mode, "WRITE") || same_word(mode, "APPEND")) {
        flags = O_WRONLY | O_CREAT | (mode.size() == 6 ? O_APPEND : 0);
        lock = lock_for(in.share_write);
        slot_mode = file_mode_write;
    } else if (same_word(mode, "PIPE")) {
        flags = O_RDWR;
        lock = 0;
        slot_mode = file_mode_pipe;
    } else {
        fail(errors::file_open_bad_mode);
    }
    std::string path = script_path(call.view(0)).string();
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) fail_because(call.c, errors::file_open_failed, path + ": " + system_reason());
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
        (lock && ::flock(fd, lock | LOCK_NB) != 0)) {
        std::string reason = S_ISDIR(info.st_mode) ? "a folder" : "in use by another open";
        ::close(fd);
        fail_because(call.c, errors::file_open_failed, path + ": " + reason);
    }
    // WRITE empties the file only once it is ours.
    if (slot_mode == file_mode_write && !(flags & O_APPEND) && ::ftruncate(fd, 0) != 0 && S_ISREG(info.st_mode)) {
        ::close(fd);
        fail_because(call.c, errors::file_open_failed, path + ": " + system_reason());
    }
    *slot = FileSlot{};
    slot->descriptor = fd;
    slot->mode = slot_mode;
    if (slot_mode == file_mode_read && in.read_buffer_size > 0) {
        slot->size = in.read_buffer_size;
        slot->buffer = QslGlobalAlloc(QSL_GMEM_MOVEABLE, size_t(slot->size) + 1);
        if (!slot->buffer) {
            release(*slot);
            fail(errors::memory_not_available);
        }
    }
    call.out.set_int(fd);
    call.out.r.type |= file_handle_type;
}

// The next byte of a slot: 1 with a byte, 0 at the end, -1 on a read error.
int next_byte(FileSlot& slot, char& byte) {
    if (!slot.size) {
        for (;;) {
            ssize_t got = ::read(slot.descriptor, &byte, 1);
            if (got < 0 && errno == EINTR) continue;
            return got < 0 ? -1 : int(got);
        }
    }
    if (slot.position >= slot.end) {
        auto* block = static_cast<char*>(QslGlobalLock(slot.buffer));
        ssize_t got;
        do {
            got = ::read(slot.descriptor, block, size_t(slot.size));
        } while (got < 0 && errno == EINTR);
        QslGlobalUnlock(slot.buffer);
        if (got <= 0) return got < 0 ? -1 : 0;
        slot.position = 0;
        slot.end = int32_t(got);
    }
    byte = static_cast<char*>(QslGlobalLock(slot.buffer))[slot.position++];
    QslGlobalUnlock(slot.buffer);
    return 1;
}

// FileRead(handle).
void file_read(Call& call) {
    FileSlot& slot = open_slot(call, errors::file_read_bad_handle, errors::file_read_not_open);
    if (!(slot.mode & file_mode_read)) fail(errors::file_read_not_readable);
    if (slot.mode & file_mode_end_returned) fail(errors::file_read_past_end);
    if (slot.mode & file_mode_end_reached) {
        slot.mode |= file_mode_end_returned;
        return call.out.set_string(end_of_file);
    }
    bool pipe = (slot.mode & file_mode_pipe) == file_mode_pipe;
    size_t limit = slot.size ? size_t(slot.size) : size_t(unbuffered_line_max) + 1;
    std::string line;
    for (;;) {
        char byte;
        int got = next_byte(slot, byte);
        if (got < 0) fail_because(call.c, errors::file_read_past_end, system_reason());
        if (got == 0 || (byte == ctrl_z && !pipe)) {
            slot.mode |= file_mode_end_reached;
            if (line.empty()) {
                slot.mode |= file_mode_end_returned;
                return call.out.set_string(end_of_file);
            }
            break;
        }
        if (byte == '\n') break;
        if (byte == '\r') continue;
        line += byte;
        if (line.size() >= limit) fail(errors::file_read_line_too_long);
    }
    call.out.set_string(line);
}

// FileWrite(handle, text): the text and the line end of intcontrol 53.
void file_write(Call& call) {
    FileSlot& slot = open_slot(call, errors::file_write_bad_handle, errors::file_write_not_open);
    if (!(slot.mode & file_mode_write)) fail(errors::file_write_not_writable);
    std::string text = call.text(1);
    if ((slot.mode & file_mode_pipe) != file_mode_pipe) text += call.c.in->line_end;
    if (!qv::write_all_bytes(slot.descriptor, text)) fail_because(call.c, errors::file_write_failed, system_reason());
    call.out.set_int(1);
}

// FileClose(handle).
void file_close(Call& call) {
    release(open_slot(call, errors::file_close_bad_handle, errors::file_close_not_open));
    call.out.set_int(1);
}

// Teardown closes every open slot and frees its read buffer.
void close_script_files(Context& c) {
    for (FileSlot& slot : c.in->files)
        if (slot.mode) release(slot);
}

const Builtin functions[] = {
    {"fileclose", file_close},
    {"fileopen", file_open},
    {"fileread", file_read},
    {"filewrite", file_write},
};

[[maybe_unused]] const bool registered = register_family(functions);
[[maybe_unused]] const bool torn_down = register_teardown(close_script_files);

}  // namespace
}  // namespace qsl
