#pragma once

// Fingerprints of a stored series, block by block of its records or lines,
// so that an export finds the first part of a series that changed since it
// last ran: the days before it are as they were exported, the days from it on
// are written again.
//
// The blocks are 256 units long from the start of the series, then 32, then 4
// (the last one may be shorter): few blocks to compare for a long history, and
// a small last block, so that a day added at the end (with the open interest
// it carries back to the day before) writes a few rows again; the larger
// blocks are formed as the series grows into them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "qvexport/database_series.h"

namespace qv::qvexport {

inline constexpr std::size_t block_sizes[] = {256, 32, 4};

struct Block {
    DayNumber first_day = no_date;  // of the block's first dated unit; no_date when it has none
    std::int64_t hash = 0;          // of the block's days and stored bytes
    friend bool operator==(const Block&, const Block&) = default;
};

// `rule` is folded into every block's fingerprint: what else the rows depend
// on (for CLC prices, the commodity's contract rule), so that a change of it
// writes the whole series again.
std::vector<Block> blocks_of(const DatabaseSeries& series, std::string_view rule = {});

struct BlockChange {
    std::size_t block = 0;       // the first block that differs
    DayNumber from_day = no_date;  // days from this one on are written again (no_date: all)
};

// Where `now` first differs from what was exported (`stored`); nothing when
// they are the same.
std::optional<BlockChange> first_change(const std::vector<Block>& stored, const std::vector<Block>& now);

}  // namespace qv::qvexport
