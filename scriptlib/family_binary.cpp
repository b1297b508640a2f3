// The binary-buffer functions that work inside buffers: allocation and EOD,
// peek/poke/incr of every width, the bitwise combinations, copy, compare,
// search and count, strings, the record hash and the record sort.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "scriptlib/binary_buffers.h"
#include "scriptlib/families.h"

namespace qsl {
namespace {

constexpr int32_t sort_descending = 16;  // @descending
constexpr int32_t sort_key_types = 15;   // @string 0, @word1 1, @word2 2, @word4 4, @float8 8

void binary_alloc(Call& call) {
    int32_t size = call.integer(0);
    BinarySlot* free_slot = nullptr;
    for (BinarySlot& slot : call.c.in->binaries)
        if (!slot.block) {
            free_slot = &slot;
            break;
        }
    if (!free_slot) fail(errors::too_many_binary_handles);
    if (size < 1 || size > binary_size_max) fail(errors::binary_alloc_failed);
    QslHandle block = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(size));
    if (!block) fail(errors::binary_alloc_failed);
    *free_slot = BinarySlot{block, size, 0, 0};
    call.out.set_int(binary_handle_base + int32_t(free_slot - call.c.in->binaries));
}

void binary_free(Call& call) {
    BinarySlot* slot = binary_slot(call.c, call.integer(0));
    if (!slot) fail(errors::invalid_binary_handle);
    QslGlobalFree(slot->block);
    *slot = BinarySlot{};
    call.out.set_int(1);
}

void binary_eod_get(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    call.out.set_int(b.eod());
}

void binary_eod_set(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t eod = call.integer(1);
    if (eod < 0) fail(errors::binary_invalid_offset);
    if (eod > b.size()) fail(errors::binary_eod_beyond_end);
    int32_t previous = b.eod();
    b.eod() = eod;
    call.out.set_int(previous);
}

// Peek, poke and incr: a field of width bytes at offset; the EOD is raised
// to its end, by reads too.
uint8_t* field(BinaryBuffer& b, int32_t offset, int width) {
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (int64_t(offset) + width > b.size()) fail(errors::binary_offset_beyond_buffer);
    b.raise_eod(int64_t(offset) + width);
    return b.bytes() + offset;
}

// 1 and 2 bytes unsigned, 4 bytes signed, little-endian.
int32_t get_integer(const uint8_t* p, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
    return int32_t(v);
}

void put_integer(uint8_t* p, int width, int32_t value) {
    for (int i = 0; i < width; ++i) p[i] = uint8_t(uint32_t(value) >> (8 * i));
}

template <int width>
void binary_peek(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    call.out.set_int(get_integer(field(b, call.integer(1), width), width));
}

template <int width>
void binary_poke(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t value = call.integer(2);
    // The low bits are stored, so -256..255 and -65536..65535 are taken.
    if ((width == 1 && (value < -256 || value > 255)) || (width == 2 && (value < -65536 || value > 65535)))
        fail(errors::binary_poke_out_of_range);
    uint8_t* p = field(b, call.integer(1), width);
    int32_t previous = get_integer(p, width);
    put_integer(p, width, value);
    call.out.set_int(previous);
}

template <int width>
void binary_incr(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    uint8_t* p = field(b, call.integer(1), width);
    put_integer(p, width, int32_t(uint32_t(get_integer(p, width)) + 1u));
    call.out.set_int(get_integer(p, width));
}

double get_float(const uint8_t* p) {
    double d;
    std::memcpy(&d, p, sizeof d);
    return d;
}

void binary_peek_flt(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    call.out.set_float(get_float(field(b, call.integer(1), 8)));
}

void binary_poke_flt(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    uint8_t* p = field(b, call.integer(1), 8);
    double previous = get_float(p), value = call.real(2);
    std::memcpy(p, &value, sizeof value);
    call.out.set_float(previous);
}

void binary_incr_flt(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    uint8_t* p = field(b, call.integer(1), 8);
    double value = get_float(p) + 1.0;
    std::memcpy(p, &value, sizeof value);
    call.out.set_float(value);
}

// BinaryAnd/Or/Xor(target, target offset, source, source offset, count).
template <typename Combine>
void combine(Call& call, Combine op) {
    BinaryBuffer target(call.c, call.integer(0));
    int32_t count = call.integer(4);
    check_data_range(target, call.integer(1), count);
    uint8_t* t = target.bytes() + call.integer(1);
    if (call.integer(2) == call.integer(0)) {
        check_data_range(target, call.integer(3), count);
        const uint8_t* s = target.bytes() + call.integer(3);
        std::vector<uint8_t> copy(s, s + count);
        for (int32_t i = 0; i < count; ++i) t[i] = op(t[i], copy[size_t(i)]);
    } else {
        BinaryBuffer source(call.c, call.integer(2));
        check_data_range(source, call.integer(3), count);
        const uint8_t* s = source.bytes() + call.integer(3);
        for (int32_t i = 0; i < count; ++i) t[i] = op(t[i], s[i]);
    }
    call.out.set_int(1);
}

void binary_and(Call& call) { combine(call, [](uint8_t a, uint8_t b) { return uint8_t(a & b); }); }
void binary_or(Call& call) { combine(call, [](uint8_t a, uint8_t b) { return uint8_t(a | b); }); }
void binary_xor(Call& call) { combine(call, [](uint8_t a, uint8_t b) { return uint8_t(a ^ b); }); }

// BinaryCopy(target, target offset, source, source offset, count): the
// source range lies in the source's data; the target's EOD rises to the end
// of what was written. Returns the count.
void binary_copy(Call& call) {
    int32_t target_offset = call.integer(1), source_offset = call.integer(3), count = call.integer(4);
    if (target_offset < 0 || source_offset < 0) fail(errors::binary_invalid_offset);
    if (count < 0) fail(errors::binary_invalid_count);
    std::string bytes;
    {
        BinaryBuffer source(call.c, call.integer(2));
        if (int64_t(source_offset) + count > source.eod()) fail(errors::binary_copy_beyond_source);
        bytes.assign(source.data().substr(size_t(source_offset), size_t(count)));
    }
    BinaryBuffer target(call.c, call.integer(0));
    if (int64_t(target_offset) + count > target.size()) fail(errors::binary_copy_beyond_target);
    std::memcpy(target.bytes() + target_offset, bytes.data(), bytes.size());
    target.raise_eod(int64_t(target_offset) + count);
    call.out.set_int(count);
}

// BinaryCompare(first, offset, second, offset, count): 1 when the two ranges
// hold the same bytes.
void binary_compare(Call& call) {
    int32_t count = call.integer(4);
    std::string first;
    {
        BinaryBuffer a(call.c, call.integer(0));
        check_data_range(a, call.integer(1), count);
        first.assign(a.data().substr(size_t(call.integer(1)), size_t(count)));
    }
    BinaryBuffer b(call.c, call.integer(2));
    check_data_range(b, call.integer(3), count);
    call.out.set_int(first == b.data().substr(size_t(call.integer(3)), size_t(count)));
}

std::string folded(std::string_view text) {
    std::string s(text);
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
    return s;
}

// Searches the data from offset forward (direction 0) or backward (the last
// match that begins at or before offset); the offset found or -1.
int64_t find_in_data(Call& call, bool match_case, int32_t direction) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t offset = call.integer(1);
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (offset > b.eod()) fail(errors::binary_index_beyond_eod);
    std::string data(b.data()), wanted = call.text(2);
    if (!match_case) {
        data = folded(data);
        wanted = folded(wanted);
    }
    if (wanted.empty()) return -1;
    size_t at = direction == 0 ? data.find(wanted, size_t(offset)) : data.rfind(wanted, size_t(offset));
    return at == std::string::npos ? -1 : int64_t(at);
}

// BinaryIndex and BinaryIndexNc answer 0 when nothing is found, BinaryIndexEx -1.
void binary_index(Call& call) { call.out.set_int(int32_t(std::max<int64_t>(find_in_data(call, true, call.integer(3)), 0))); }

void binary_index_nc(Call& call) {
    call.out.set_int(int32_t(std::max<int64_t>(find_in_data(call, false, call.integer(3)), 0)));
}

void binary_index_ex(Call& call) { call.out.set_int(int32_t(find_in_data(call, call.integer(4) != 0, call.integer(3)))); }

// BinaryStrCnt(handle, start offset, end offset, text): occurrences of text
// that lie within start..end, not overlapping.
void binary_str_cnt(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t start = call.integer(1), end = call.integer(2);
    check_data_range(b, start, 0);
    if (end < start) fail(errors::binary_invalid_count);
    if (end >= b.eod()) fail(errors::binary_count_beyond_eod);
    std::string wanted = call.text(3);
    std::string_view range = b.data().substr(size_t(start), size_t(end - start + 1));
    int32_t count = 0;
    if (!wanted.empty())
        for (size_t at = range.find(wanted); at != std::string_view::npos; at = range.find(wanted, at + wanted.size()))
            ++count;
    call.out.set_int(count);
}

// BinaryPeekStr(handle, offset, most): the bytes from offset up to a NUL or
// most bytes.
void binary_peek_str(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t offset = call.integer(1), most = call.integer(2);
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (most < 0) fail(errors::binary_invalid_count);
    if (int64_t(offset) + most > b.size()) fail(errors::binary_peekstr_beyond_end);
    const char* start = reinterpret_cast<const char*>(b.bytes()) + offset;
    std::string text(start, strnlen(start, size_t(most)));
    call.out.set_string(text);
}

// BinaryPokeStr(handle, offset, text): the bytes of text (without a NUL);
// returns their count.
void binary_poke_str(Call& call) {
    std::string text = call.text(2);
    BinaryBuffer b(call.c, call.integer(0));
    int32_t offset = call.integer(1);
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (int64_t(offset) + int64_t(text.size()) > b.size()) fail(errors::binary_pokestr_beyond_end);
    std::memcpy(b.bytes() + offset, text.data(), text.size());
    b.raise_eod(int64_t(offset) + int64_t(text.size()));
    call.out.set_int(int32_t(text.size()));
}

// The record layout of the hash and the sort: 1474-1478.
struct RecordLayout {
    int32_t record_size, key_offset, key_size, records;
};

RecordLayout record_layout(const BinaryBuffer& b, int32_t record_size, int32_t key_offset, int32_t key_size) {
    if (record_size <= 0) fail(errors::binary_bad_record_size);
    if (key_offset < 0) fail(errors::binary_bad_key_offset);
    if (key_size <= 0) fail(errors::binary_bad_key_size);
    if (int64_t(key_offset) + key_size > record_size) fail(errors::binary_key_beyond_record);
    if (b.size() < record_size) fail(errors::binary_buffer_below_record);
    return {record_size, key_offset, key_size, b.size() / record_size};
}

// BinaryHashRec(handle, record size, key offset, key size, key): the offset
// of the record that holds the key, given a free record when none does.
// Keys compare without regard to case, so the home record is found from the
// key in lower case: "A" and "a" are one key.
void binary_hash_rec(Call& call) {
    std::string key = call.text(4);
    BinaryBuffer b(call.c, call.integer(0));
    RecordLayout layout = record_layout(b, call.integer(1), call.integer(2), call.integer(3));
    if (key.empty()) fail(errors::binary_hash_no_key);
    if (int64_t(key.size()) > layout.key_size) fail(errors::binary_hash_key_too_long);
    uint32_t h = 0;
    for (char ch : folded(key)) h = 2 * h + uint32_t(int32_t(static_cast<signed char>(ch)));
    int32_t home = layout.records > 1 ? int32_t(h % uint32_t(layout.records - 1)) : 0;
    std::string wanted = folded(key);
    for (int32_t step = 0; step < layout.records; ++step) {
        int32_t record = (home + step) % layout.records;
        char* k = reinterpret_cast<char*>(b.bytes()) + int64_t(record) * layout.record_size + layout.key_offset;
        if (k[0] == '\0') {
            std::memset(k, 0, size_t(layout.key_size));
            std::memcpy(k, key.data(), key.size());
        } else if (folded(std::string_view(k, strnlen(k, size_t(layout.key_size)))) != wanted) {
            continue;
        }
        b.eod() = b.size();
        call.out.set_int(record * layout.record_size);
        return;
    }
    fail(errors::binary_hash_full);
}

// BinarySort(handle, record size, key offset, key size, flags): the records
// of the data sorted by their keys, stably; flags choose the key type
// (@string, @word1, @word2, @word4, @float8) and @descending.
void binary_sort(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    RecordLayout layout = record_layout(b, call.integer(1), call.integer(2), call.integer(3));
    int32_t flags = call.integer(4);
    int32_t type = flags & sort_key_types;
    if ((type != 0 && type != 1 && type != 2 && type != 4 && type != 8) || (flags & ~(sort_key_types | sort_descending)))
        fail(errors::binary_bad_key_size);
    if ((type == 1 || type == 2 || type == 4 || type == 8) && layout.key_size < type) fail(errors::binary_bad_key_size);
    int32_t records = b.eod() / layout.record_size;
    const uint8_t* base = b.bytes();
    auto key_of = [&](int32_t r) { return base + int64_t(r) * layout.record_size + layout.key_offset; };
    auto less = [&](int32_t x, int32_t y) {
        const uint8_t *a = key_of(x), *c = key_of(y);
        if (type == 8) return get_float(a) < get_float(c);
        if (type == 4) return get_integer(a, 4) < get_integer(c, 4);
        if (type != 0) return get_integer(a, type) < get_integer(c, type);
        return strncmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(c), size_t(layout.key_size)) < 0;
    };
    std::vector<int32_t> order(static_cast<size_t>(records));
    for (int32_t i = 0; i < records; ++i) order[size_t(i)] = i;
    if (flags & sort_descending)
        std::stable_sort(order.begin(), order.end(), [&](int32_t x, int32_t y) { return less(y, x); });
    else
        std::stable_sort(order.begin(), order.end(), less);
    std::string sorted;
    sorted.reserve(size_t(records) * size_t(layout.record_size));
    for (int32_t r : order) sorted.append(reinterpret_cast<const char*>(key_of(r) - layout.key_offset), size_t(layout.record_size));
    std::memcpy(b.bytes(), sorted.data(), sorted.size());
    call.out.set_int(records);
}

const Builtin functions[] = {
    {"binaryalloc", binary_alloc},
    {"binaryand", binary_and},
    {"binarycompare", binary_compare},
    {"binarycopy", binary_copy},
    {"binaryeodget", binary_eod_get},
    {"binaryeodset", binary_eod_set},
    {"binaryfree", binary_free},
    {"binaryhashrec", binary_hash_rec},
    {"binaryincr", binary_incr<1>},
    {"binaryincr2", binary_incr<2>},
    {"binaryincr4", binary_incr<4>},
    {"binaryincrflt", binary_incr_flt},
    {"binaryindex", binary_index},
    {"binaryindexex", binary_index_ex},
    {"binaryindexnc", binary_index_nc},
    {"binaryor", binary_or},
    {"binarypeek", binary_peek<1>},
    {"binarypeek2", binary_peek<2>},
    {"binarypeek4", binary_peek<4>},
    {"binarypeekflt", binary_peek_flt},
    {"binarypeekstr", binary_peek_str},
    {"binarypoke", binary_poke<1>},
    {"binarypoke2", binary_poke<2>},
    {"binarypoke4", binary_poke<4>},
    {"binarypokeflt", binary_poke_flt},
    {"binarypokestr", binary_poke_str},
    {"binarysort", binary_sort},
    {"binarystrcnt", binary_str_cnt},
    {"binaryxor", binary_xor},
};

[[maybe_unused]] const bool registered = register_family(functions);
[[maybe_unused]] const bool torn_down = register_teardown(free_binaries);

}  // namespace
}  // namespace qsl
