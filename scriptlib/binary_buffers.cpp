#include "scriptlib/binary_buffers.h"

namespace qsl {

BinarySlot* binary_slot(Context& c, int32_t handle) {
    int64_t index = int64_t(handle) - binary_handle_base;
    if (index < 0 || index >= binary_slot_count) return nullptr;
    BinarySlot& slot = c.in->binaries[index];
    return slot.block ? &slot : nullptr;
}

BinaryBuffer::BinaryBuffer(Context& c, int32_t handle) : slot_(binary_slot(c, handle)), bytes_(nullptr) {
    if (!slot_) fail(errors::invalid_binary_handle);
    bytes_ = static_cast<uint8_t*>(QslGlobalLock(slot_->block));
    if (!bytes_) fail(errors::memory_not_available);
}

BinaryBuffer::~BinaryBuffer() {
    if (bytes_) QslGlobalUnlock(slot_->block);
}

uintptr_t binary_address(Context& c, int32_t handle) {
    BinarySlot* slot = binary_slot(c, handle);
    if (!slot) return 0;
    auto address = reinterpret_cast<uintptr_t>(QslGlobalLock(slot->block));
    QslGlobalUnlock(slot->block);
    return address;
}

void free_binaries(Context& c) {
    for (BinarySlot& slot : c.in->binaries) {
        if (slot.block) QslGlobalFree(slot.block);
        slot = BinarySlot{};
    }
}

void check_data_range(BinaryBuffer& b, int32_t offset, int32_t count) {
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (count < 0) fail(errors::binary_invalid_count);
    if (offset >= b.size()) fail(errors::binary_offset_beyond_end);
    if (offset >= b.eod()) fail(errors::binary_offset_beyond_eod);
    if (int64_t(offset) + count > b.size()) fail(errors::binary_count_beyond_end);
    if (int64_t(offset) + count > b.eod()) fail(errors::binary_count_beyond_eod);
}

}  // namespace qsl
