// Drives the string heap with allocations and frees taken from the input;
// after every step the heap's tags, sizes and free list must be whole and
// every live string must still hold what was written into it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "scriptlib/string_heap.h"

namespace {

struct Live {
    uint32_t offset;
    uint32_t size;
    uint8_t fill;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qsl::Instance instance;
    std::memset(&instance, 0, sizeof instance);
    qsl::Context c;
    c.in = &instance;
    const uint32_t start = 256;
    instance.heap_handle = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, start);
    c.heap = static_cast<char*>(QslGlobalLock(instance.heap_handle));
    c.heap_size = start;
    qsl::heap_format(c.heap, start);
    std::vector<Live> live;
    for (size_t i = 0; i + 1 < size; i += 2) {
        uint8_t op = data[i], arg = data[i + 1];
        if ((op & 3) != 0 || live.empty()) {
            uint32_t n = uint32_t(arg) * ((op & 0x80) ? 97u : 1u);
            uint32_t at = qsl::heap_alloc(c, n);
            if (!at) __builtin_trap();
            uint8_t fill = uint8_t(op ^ arg);
            std::memset(c.heap + at, fill, n);
            live.push_back(Live{at, n, fill});
        } else {
            size_t k = arg % live.size();
            qsl::heap_free(c, live[k].offset);
            live.erase(live.begin() + long(k));
        }
        if (!qsl::heap_check(c.heap, c.heap_size)) __builtin_trap();
        for (const Live& l : live)
            for (uint32_t b = 0; b < l.size; ++b)
                if (uint8_t(c.heap[l.offset + b]) != l.fill) __builtin_trap();
    }
    QslGlobalUnlock(instance.heap_handle);
    QslGlobalFree(instance.heap_handle);
    return 0;
}
