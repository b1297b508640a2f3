// Global memory blocks of our own: the host allocates the instance, the
// variable table, the string heap and scripts through these, and the library
// locks them only for the length of a call. Handles are opaque numbers that
// stay the same when a block is reallocated; the block itself may move.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "scriptlib/include/qsleng32.h"

namespace {

struct Block {
    void* data;
    size_t size;
    int locks;
};

struct Blocks {
    std::mutex mutex;
    std::unordered_map<QslHandle, Block> map;
    QslHandle next = 0x10000;
};

Blocks& blocks() {
    static Blocks* all = new Blocks;  // outlives every static destructor
    return *all;
}

}  // namespace

extern "C" {

QSL_API QslHandle QslGlobalAlloc(unsigned flags, size_t bytes) {
    void* data = (flags & QSL_GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                             : std::malloc(bytes ? bytes : 1);
    if (!data) return 0;
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    QslHandle handle = b.next;
    try {
        b.map[handle] = Block{data, bytes, 0};
    } catch (...) {
        // No exception crosses the entry point: no memory for the entry is no block.
        std::free(data);
        return 0;
    }
    b.next += 16;
    return handle;
}

QSL_API QslHandle QslGlobalReAlloc(QslHandle handle, size_t bytes, unsigned flags) {
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    auto it = b.map.find(handle);
    if (it == b.map.end()) return 0;
    void* data = std::realloc(it->second.data, bytes ? bytes : 1);
    if (!data) return 0;
    if ((flags & QSL_GMEM_ZEROINIT) && bytes > it->second.size)
        std::memset(static_cast<char*>(data) + it->second.size, 0, bytes - it->second.size);
    it->second.data = data;
    it->second.size = bytes;
    return handle;
}

QSL_API void* QslGlobalLock(QslHandle handle) {
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    auto it = b.map.find(handle);
    if (it == b.map.end()) return nullptr;
    ++it->second.locks;
    return it->second.data;
}

QSL_API int QslGlobalUnlock(QslHandle handle) {
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    auto it = b.map.find(handle);
    if (it == b.map.end() || it->second.locks == 0) return 0;
    return --it->second.locks;
}

QSL_API size_t QslGlobalSize(QslHandle handle) {
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    auto it = b.map.find(handle);
    return it == b.map.end() ? 0 : it->second.size;
}

QSL_API QslHandle QslGlobalFree(QslHandle handle) {
    Blocks& b = blocks();
    std::lock_guard<std::mutex> guard(b.mutex);
    auto it = b.map.find(handle);
    if (it == b.map.end()) return handle;
    std::free(it->second.data);
    b.map.erase(it);
    return 0;
}

}  // extern "C"
