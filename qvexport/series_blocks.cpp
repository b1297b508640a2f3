#include "qvexport/series_blocks.h"

#include <algorithm>
#include <cstring>

namespace qv::qvexport {

namespace {

// FNV-1a over 64-bit words (the last word of a unit filled up with zeros): a
// fingerprint, not a defence against anyone.
constexpr std::uint64_t fnv_offset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t fnv_prime = 0x100000001b3ULL;

std::uint64_t mix(std::uint64_t hash, std::uint64_t word) { return (hash ^ word) * fnv_prime; }

std::uint64_t mix_bytes(std::uint64_t hash, std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        hash = mix(hash, word);
    }
    std::uint64_t rest = 0;
    std::memcpy(&rest, bytes.data() + i, bytes.size() - i);
    return mix(hash, rest);
}

}  // namespace

std::vector<Block> blocks_of(const DatabaseSeries& series) {
    const std::vector<Unit>& units = series.units;
    std::vector<Block> blocks;
    for (std::size_t start = 0; start < units.size(); start += units_per_block) {
        const std::size_t end = std::min(units.size(), start + units_per_block);
        Block block;
        std::uint64_t hash = fnv_offset;
        for (std::size_t i = start; i < end; ++i) {
            const Unit& unit = units[i];
            if (block.first_day == no_date) block.first_day = unit.day;
            // The unit's day and length count too, so that the same bytes cut into other lines differ.
            hash = mix(hash, std::uint64_t(unit.day) << 32 | unit.size);
            hash = mix_bytes(hash, series.unit_bytes(unit));
        }
        block.hash = static_cast<std::int64_t>(hash);
        blocks.push_back(block);
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
