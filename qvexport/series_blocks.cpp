#include "qvexport/series_blocks.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qv::qvexport {

namespace {

// A fingerprint, not a defence against anyone: four lanes of 64-bit words,
// each step (xor the word, multiply by an odd number, fold the high half into
// the low one) a one-to-one map of the lane, so that a change of one word
// always changes the result; the lanes run side by side, so that hashing the
// whole database costs little more than reading it.
constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15ULL;

std::uint64_t mix(std::uint64_t lane, std::uint64_t word) {
    std::uint64_t x = (lane ^ word) * multiplier;
    return x ^ (x >> 29);
}

std::uint64_t word_at(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

std::uint64_t hash_bytes(std::string_view bytes, std::uint64_t seed) {
    std::uint64_t lanes[4] = {seed, seed + 1, seed + 2, seed + 3};
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 32; p += 32, left -= 32)
        for (int k = 0; k < 4; ++k) lanes[k] = mix(lanes[k], word_at(p + 8 * k));
    for (int k = 0; left >= 8; p += 8, left -= 8, ++k) lanes[k] = mix(lanes[k], word_at(p));
    std::uint64_t rest = 0;
    if (left > 0) std::memcpy(&rest, p, left);
    std::uint64_t hash = mix(lanes[0], rest);
    for (int k = 1; k < 4; ++k) hash = mix(hash, lanes[k]);
    return mix(hash, bytes.size());
}

}  // namespace

std::vector<Block> blocks_of(const DatabaseSeries& series, std::string_view rule) {
    const std::uint64_t seed = hash_bytes(rule, 1);
    const std::vector<Unit>& units = series.units;
    std::vector<Block> blocks;
    blocks.reserve(units.size() / block_sizes[0] + 64);
    std::size_t start = 0;
    for (const std::size_t size : block_sizes) {
        const bool last_size = size == block_sizes[std::size(block_sizes) - 1];
        while (units.size() - start >= size || (last_size && start < units.size())) {
            const std::size_t end = std::min(units.size(), start + size);
            Block block;
            for (std::size_t i = start; i < end && block.first_day == no_date; ++i) block.first_day = units[i].day;
            // The units of a block lie one after another in the file: their bytes
            // in one piece (with the line ends and undated lines between IDX lines).
            const std::size_t from = units[start].offset;
            const std::size_t to = units[end - 1].offset + units[end - 1].size;
            const std::string_view bytes = std::string_view(series.bytes).substr(from, to - from);
            block.hash = static_cast<std::int64_t>(hash_bytes(bytes, seed));
            blocks.push_back(block);
            start = end;
        }
    }
    return blocks;
}

std::optional<BlockChange> first_change(const std::vector<Block>& stored, const std::vector<Block>& now) {
    std::size_t i = 0;
    while (i < stored.size() && i < now.size() && stored[i] == now[i]) ++i;
    if (i == stored.size() && i == now.size()) return std::nullopt;
    // A block that has no dated unit cannot say from which day on it differs:
    // then every day is written again.
    DayNumber from = 0xFFFF;
    bool every_day = false;
    for (const std::vector<Block>* side : {&stored, &now}) {
        if (i >= side->size()) continue;
        const DayNumber first = (*side)[i].first_day;
        if (first == no_date) every_day = true;
        from = std::min(from, first);
    }
    return BlockChange{i, every_day ? no_date : from};
}

}  // namespace qv::qvexport
