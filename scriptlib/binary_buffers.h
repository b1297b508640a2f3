// Binary buffers: ten slots per instance, each a zero-filled moveable memory
// block with its size and end of data (EOD). A script names a buffer by its
// handle, 987659 + the slot number.
#pragma once

#include <cstdint>
#include <string_view>

#include "scriptlib/instance.h"

namespace qsl {

constexpr int32_t binary_handle_base = 987659;
// The largest buffer binaryalloc gives (1126 beyond).
constexpr int32_t binary_size_max = 64 << 20;

// A buffer locked for the length of one function: its bytes, size and EOD.
// The EOD is written back to the slot through eod().
class BinaryBuffer {
public:
    BinaryBuffer(Context& c, int32_t handle);  // 3023 for no open buffer
    ~BinaryBuffer();
    BinaryBuffer(const BinaryBuffer&) = delete;
    BinaryBuffer& operator=(const BinaryBuffer&) = delete;

    uint8_t* bytes() const { return bytes_; }
    int32_t size() const { return slot_->size; }
    int32_t& eod() { return slot_->eod; }
    BinarySlot& slot() { return *slot_; }
    // Raises the EOD to end when it was lower.
    void raise_eod(int64_t end) {
        if (end > slot_->eod) slot_->eod = int32_t(end);
    }
    std::string_view data() const { return {reinterpret_cast<const char*>(bytes_), size_t(slot_->eod)}; }

private:
    BinarySlot* slot_;
    uint8_t* bytes_;
};

// The slot of a handle, or nullptr.
BinarySlot* binary_slot(Context& c, int32_t handle);
// The address of a buffer's memory (intcontrol 42), 0 for an invalid handle.
uintptr_t binary_address(Context& c, int32_t handle);
// Frees every buffer of the instance.
void free_binaries(Context& c);

// The checks of a range of count bytes at offset for the functions that work
// on a buffer's data: negative offset 1548, negative count 1549, offset not
// below the size 1543 or the EOD 1550, the range beyond the size 1544 or the
// EOD 1551.
void check_data_range(BinaryBuffer& b, int32_t offset, int32_t count);

}  // namespace qsl
