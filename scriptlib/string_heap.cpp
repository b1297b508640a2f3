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

constexpr uint32_t min_block = 28;
constexpr uint32_t tail_size = 12;
// Header fields.
constexpr uint32_t head_tag = 0, head_first = 4, head_rover = 8, head_size = 12, head_end_tag = 36;
// Block fields.
constexpr uint32_t tag_at = 0, size_at = 4, next_at = 8, prev_at = 12;

uint32_t get(const char* base, uint32_t at) {
    uint32_t v;
    std::memcpy(&v, base + at, 4);
    return v;
}
void put(char* base, uint32_t at, uint32_t v) { std::memcpy(base + at, &v, 4); }

void mark_free(char* base, uint32_t block, uint32_t size) {
    put(base, block + tag_at, tag_free);
    put(base, block + size_at, size);
    put(base, block + size - 8, size);
    put(base, block + size - 4, tag_free);
}

void mark_used(char* base, uint32_t block, uint32_t size) {
    put(base, block + tag_at, tag_used);
    put(base, block + size_at, size);
    put(base, block + size - 4, tag_used);
}

void list_insert(char* base, uint32_t block) {
    uint32_t first = get(base, head_first);
    put(base, block + next_at, first);
    put(base, block + prev_at, 0);
    if (first) put(base, first + prev_at, block);
    put(base, head_first, block);
    if (!get(base, head_rover)) put(base, head_rover, block);
}

void list_remove(char* base, uint32_t block) {
    uint32_t next = get(base, block + next_at), prev = get(base, block + prev_at);
    if (prev) put(base, prev + next_at, next);
    else put(base, head_first, next);
    if (next) put(base, next + prev_at, prev);
    if (get(base, head_rover) == block) put(base, head_rover, next ? next : get(base, head_first));
}

// Adds [block, block+size) to the free list, merging with free neighbours.
void release(char* base, uint32_t block, uint32_t size) {
    uint32_t after = block + size;
    if (get(base, after + tag_at) == tag_free) {
        uint32_t next_size = get(base, after + size_at);
        list_remove(base, after);
        size += next_size;
    }
    if (get(base, block - 4) == tag_free) {
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
    uint32_t start = get(base, head_rover);
    if (!start) return 0;
    uint32_t block = start;
    do {
        uint32_t size = get(base, block + size_at);
        if (size >= need) {
            if (size - need < min_block) {
                list_remove(base, block);
                mark_used(base, block, size);
                return block + 8;
            }
            uint32_t rest = size - need;
            mark_free(base, block, rest);
            put(base, head_rover, block);
            mark_used(base, block + rest, need);
            return block + rest + 8;
        }
        block = get(base, block + next_at);
        if (!block) block = get(base, head_first);
    } while (block != start);
    return 0;
}

bool grow(Context& c, uint32_t need) {
    uint32_t old_size = c.heap_size;
    uint64_t new_size = uint64_t(old_size) + need + heap_growth;
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
    uint32_t old_tail = old_size - tail_size;
    uint32_t new_tail = c.heap_size - tail_size;
    mark_used(base, new_tail, tail_size);
    put(base, head_size, c.heap_size);
    release(base, old_tail, new_tail - old_tail);
    return true;
}

}  // namespace

bool heap_format(char* base, uint32_t size) {
    if (size < heap_header_size + min_block + tail_size || size > 0x7FFFFFF0u) return false;
    size &= ~3u;
    std::memset(base, 0, heap_header_size);
    put(base, head_tag, tag_used);
    put(base, head_size, size);
    put(base, head_end_tag, tag_used);
    uint32_t tail = size - tail_size;
    mark_used(base, tail, tail_size);
    mark_free(base, heap_header_size, tail - heap_header_size);
    list_insert(base, heap_header_size);
    return true;
}

uint32_t heap_alloc(Context& c, uint32_t size) {
    if (!c.heap || size > 0x7FFF0000u) return 0;
    uint32_t need = (size + 15) & ~3u;
    if (need < min_block) need = min_block;
    if (uint32_t at = take(c.heap, need)) return at;
    if (!grow(c, need)) return 0;
    return take(c.heap, need);
}

void heap_free(Context& c, uint32_t offset) {
    if (!offset || !c.heap) return;
    char* base = c.heap;
    uint32_t block = offset - 8;
    uint32_t tail = c.heap_size - tail_size;
    uint32_t size = offset >= heap_header_size + 8 && offset < tail ? get(base, block + size_at) : 0;
    if (size < min_block || size > tail - block || get(base, block + tag_at) != tag_used ||
        get(base, block + size - 4) != tag_used) {
        show_box("INTERNAL DYNALLOC ERROR", "Tag Overwrite 1", QSL_MB_OK);
        return;
    }
    uint32_t after_tag = get(base, block + size + tag_at);
    if (after_tag != tag_used && after_tag != tag_free) {
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
    if (get(base, head_tag) != tag_used || get(base, head_end_tag) != tag_used) return false;
    uint32_t tail = size - tail_size;
    uint32_t free_blocks = 0;
    bool previous_free = false;
    for (uint32_t block = heap_header_size; block != tail;) {
        if (block > tail) return false;
        uint32_t tag = get(base, block + tag_at), bsize = get(base, block + size_at);
        if (bsize < min_block || bsize > tail - block) return false;
        if (get(base, block + bsize - 4) != tag) return false;
        if (tag == tag_free) {
            if (previous_free || get(base, block + bsize - 8) != bsize) return false;
            ++free_blocks;
        } else if (tag != tag_used) {
            return false;
        }
        previous_free = tag == tag_free;
        block += bsize;
    }
    uint32_t listed = 0, prev = 0;
    for (uint32_t b = get(base, head_first); b; b = get(base, b + next_at)) {
        if (get(base, b + tag_at) != tag_free || get(base, b + prev_at) != prev) return false;
        if (++listed > free_blocks) return false;
        prev = b;
    }
    return listed == free_blocks;
}

}  // namespace qsl
