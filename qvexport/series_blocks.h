#pragma once

// Fingerprints of a stored series, block by block of 64 records or lines, so that an export finds the
// first part of a series that changed since it last ran: the days before it
// are as they were exported, the days from it on are written again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "qvexport/database_series.h"

namespace qv::qvexport {

inline constexpr std::size_t units_per_block = 64;

struct Block {
    DayNumber first_day = no_date;  // of the block's first dated unit; no_date when it has none
    std::int64_t hash = 0;          // of the block's days and stored bytes
    friend bool operator==(const Block&, const Block&) = default;
};

std::vector<Block> blocks_of(const DatabaseSeries& series);

struct BlockChange {
    std::size_t block = 0;       // the first block that differs
    DayNumber from_day = no_date;  // days from this one on are written again (no_date: all)
};

// Where `now` first differs from what was exported (`stored`); nothing when
// they are the same.
std::optional<BlockChange> first_change(const std::vector<Block>& stored, const std::vector<Block>& now);

}  // namespace qv::qvexport
