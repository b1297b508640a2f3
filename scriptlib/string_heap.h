// The string heap: one moveable global memory block owned by the host, in
// which every string value lives, addressed by offsets so that the block may
// move when it grows.
#pragma once

#include <cstdint>
#include <string_view>

#include "scriptlib/instance.h"

namespace qsl {

constexpr uint32_t tag_used = 0x38373635;  // "5678"
constexpr uint32_t tag_free = 0x54535251;  // "QRST"
constexpr uint32_t heap_header_size = 40;
constexpr uint32_t heap_growth = 32768;

// Lays out an empty heap over size bytes at base; false when it is too small.
bool heap_format(char* base, uint32_t size);
// The offset of size bytes of data, or 0 when the heap cannot grow.
uint32_t heap_alloc(Context& c, uint32_t size);
void heap_free(Context& c, uint32_t offset);
// A copy of text in the heap (text may lie in the heap itself), or 0.
uint32_t heap_store(Context& c, std::string_view text);
// Walks every block; false when a tag, a size or the free list is damaged.
bool heap_check(const char* base, uint32_t size);

}  // namespace qsl
