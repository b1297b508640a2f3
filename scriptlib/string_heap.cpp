// String heap blocks carry a tag at both ends ("5678" used, "QRST" free);
// free blocks also keep their size just before the end tag, so that a block
// being freed finds a free predecessor and merges with it. The header holds
// the free list anchor and the rover where the next search starts.
#include "scriptlib/string_heap.h"

#include <cstring>
#include <string>

#include "scriptlib/host_interfaces.h"

namespace qsl {
namespace {

constexpr uint32_t kMinBlock = 28;
constexpr uint32_t kTailSize = 12;
// Header fields.
constexpr uint32_t kHeadTag = 0, kHeadFirst = 4, kHeadRover = 8, kHeadSize = 12, kHeadEndTag = 36;
// Block fields.
constexpr uint32_t kTag = 0, kSize = 4, kNext = 8, kPrev = 12;

uint32_t get(const char* base, uint32_t at) {
    uint32_t v;
    std::memcpy(&v, base + at, 4);
    return v;
}
void put(char* base, uint32_t at, uint32_t v) { std::memcpy(base + at, &v, 4); }

void mark_free(char* base, uint32_t block, uint32_t size) {
    put(base, block + kTag, kTagFree);
    put(base, block + kSize, size);
    put(base, block + size - 8, size);
    put(base, block + size - 4, kTagFree);
}

void mark_used(char* base, uint32_t block, uint32_t size) {
    put(base, block + kTag, kTagUsed);
    put(base, block + kSize, size);
    put(base, block + size - 4, kTagUsed);
}

void list_insert(char* base, uint32_t block) {
    uint32_t first = get(base, kHeadFirst);
    put(base, block + kNext, first);
    put(base, block + kPrev, 0);
    if (first) put(base, first + kPrev, block);
    put(base, kHeadFirst, block);
    if (!get(base, kHeadRover)) put(base, kHeadRover, block);
}

void list_remove(char* base, uint32_t block) {
    uint32_t next = get(base, block + kNext), prev = get(base, block + kPrev);
    if (prev) put(base, prev + kNext, next);
    else put(base, kHeadFirst, next);
    if (next) put(base, next + kPrev, prev);
    if (get(base, kHeadRover) == block) put(base, kHeadRover, next ? next : get(base, kHeadFirst));
}

// Adds [block, block+size) to the free list, merging with free neighbours.
void release(char* base, uint32_t block, uint32_t size) {
    uint32_t after = block + size;
    if (get(base, after + kTag) == kTagFree) {
        uint32_t next_size = get(base, after + kSize);
        list_remove(base, after);
        size += next_size;
    }
    if (get(base, block - 4) == kTagFree) {
        uint32_t prev_size = get(base, block - 8);
        uint32_t prev = block - prev_size;
        list_remove(base, prev);
        block = prev;
        size += prev_size;
    }
    mark_free(base, block, size);
    list_insert(base, block);
}

uint32_t take(char* base, uint32_t need) {
    uint32_t start = get(base, kHeadRover);
    if (!start) return 0;
    uint32_t block = start;
    do {
        uint32_t size = get(base, block + kSize);
        if (size >= need) {
            if (size - need < kMinBlock) {
                list_remove(base, block);
                mark_used(base, block, size);
                return block + 8;
            }
            uint32_t rest = size - need;
            mark_free(base, block, rest);
            put(base, kHeadRover, block);
            mark_used(base, block + rest, need);
            return block + rest + 8;
        }
        block = get(base, block + kNext);
        if (!block) block = get(base, kHeadFirst);
    } while (block != start);
    return 0;
}

bool grow(Context& c, uint32_t need) {
    uint32_t old_size = c.heap_size;
    uint64_t new_size = uint64_t(old_size) + need + kHeapGrowth;
    if (new_size > 0x7FFFFFF0u) return false;
    QslGlobalUnlock(c.in->heap_handle);
    QslHandle grown = QslGlobalReAlloc(c.in->heap_handle, new_size, QSL_GMEM_MOVEABLE);
    char* base = static_cast<char*>(QslGlobalLock(c.in->heap_handle));
    if (!grown || !base) {
        c.heap = base;
        return false;
    }
    c.heap = base;
    c.heap_size = uint32_t(new_size);
    c.in->heap_handle = grown;
    if (c.in->host_record) reinterpret_cast<uintptr_t*>(c.in->host_record)[2] = grown;
    uint32_t old_tail = old_size - kTailSize;
    uint32_t new_tail = c.heap_size - kTailSize;
    mark_used(base, new_tail, kTailSize);
    put(base, kHeadSize, c.heap_size);
    release(base, old_tail, new_tail - old_tail);
    return true;
}

}  // namespace

bool heap_format(char* base, uint32_t size) {
    if (size < kHeapHeaderSize + kMinBlock + kTailSize || size > 0x7FFFFFF0u) return false;
    size &= ~3u;
    std::memset(base, 0, kHeapHeaderSize);
    put(base, kHeadTag, kTagUsed);
    put(base, kHeadSize, size);
    put(base, kHeadEndTag, kTagUsed);
    uint32_t tail = size - kTailSize;
    mark_used(base, tail, kTailSize);
    mark_free(base, kHeapHeaderSize, tail - kHeapHeaderSize);
    list_insert(base, kHeapHeaderSize);
    return true;
}

uint32_t heap_alloc(Context& c, uint32_t size) {
    if (!c.heap || size > 0x7FFF0000u) return 0;
    uint32_t need = (size + 15) & ~3u;
    if (need < kMinBlock) need = kMinBlock;
    if (uint32_t at = take(c.heap, need)) return at;
    if (!grow(c, need)) return 0;
    return take(c.heap, need);
}

void heap_free(Context& c, uint32_t offset) {
    if (!offset || !c.heap) return;
    char* base = c.heap;
    uint32_t block = offset - 8;
    uint32_t tail = c.heap_size - kTailSize;
    uint32_t size = offset >= kHeapHeaderSize + 8 && offset < tail ? get(base, block + kSize) : 0;
    if (size < kMinBlock || size > tail - block || get(base, block + kTag) != kTagUsed ||
        get(base, block + size - 4) != kTagUsed) {
        show_box("INTERNAL DYNALLOC ERROR", "Tag Overwrite 1", QSL_MB_OK);
        return;
    }
    uint32_t after_tag = get(base, block + size + kTag);
    if (after_tag != kTagUsed && after_tag != kTagFree) {
        show_box("INTERNAL DYNALLOC ERROR", "Tag Overwrite 2", QSL_MB_OK);
        return;
    }
    release(base, block, size);
}

uint32_t heap_store(Context& c, std::string_view text) {
    if (c.heap && text.data() >= c.heap && text.data() < c.heap + c.heap_size) {
        std::string copy(text);  // the heap may move while it grows
        return heap_store(c, copy);
    }
    uint32_t at = heap_alloc(c, uint32_t(text.size() + 1));
    if (!at) return 0;
    std::memcpy(c.heap + at, text.data(), text.size());
    c.heap[at + text.size()] = '\0';
    return at;
}

bool heap_check(const char* base, uint32_t size) {
    if (get(base, kHeadTag) != kTagUsed || get(base, kHeadEndTag) != kTagUsed) return false;
    uint32_t tail = size - kTailSize;
    uint32_t free_blocks = 0;
    bool previous_free = false;
    for (uint32_t block = kHeapHeaderSize; block != tail;) {
        if (block > tail) return false;
        uint32_t tag = get(base, block + kTag), bsize = get(base, block + kSize);
        if (bsize < kMinBlock || bsize > tail - block) return false;
        if (get(base, block + bsize - 4) != tag) return false;
        if (tag == kTagFree) {
            if (previous_free || get(base, block + bsize - 8) != bsize) return false;
            ++free_blocks;
        } else if (tag != kTagUsed) {
            return false;
        }
        previous_free = tag == kTagFree;
        block += bsize;
    }
    uint32_t listed = 0, prev = 0;
    for (uint32_t b = get(base, kHeadFirst); b; b = get(base, b + kNext)) {
        if (get(base, b + kTag) != kTagFree || get(base, b + kPrev) != prev) return false;
        if (++listed > free_blocks) return false;
        prev = b;
    }
    return listed == free_blocks;
}

}  // namespace qsl
