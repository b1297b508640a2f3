#pragma once

// One update carried into one option set's output: the output's name with the
// contract of the day in place of its placeholders, the sampling-day test, and
// the update's fields written into the set's columns.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/update_file.h"
#include "updater/broadcast_lines.h"
#include "updater/option_set.h"
#include "updater/output_rows.h"
#include "updater/updater.h"

namespace qv {

// The kind of an update file by its name: it contains "IDX", "CLC" or "COT",
// looked for in that order. Nothing for a name with none of them.
std::optional<DatabaseKind> broadcast_kind_of(std::string_view name);

enum class SetResult {
    not_served,  // the set reads no series of the kind, or the day is no sampling day of it
    written,
    failed,      // the output could not be opened or written (reported in the message file)
};

SetResult broadcast_into_set(OptionSet set, const BroadcastUpdate& lines, DatabaseKind kind, UpdaterState& state);

// The output name with the contract in force on `day` of the set's first CLC
// series in place of the build map's month and year placeholders.
std::string output_name_for(const OptionSet& set, DayNumber day, const CommodityTable& commodities);

// The values the update gives the set's columns. Rolled-over commodities
// whose line is written get rebuild state 2.
std::vector<FieldWrite> field_writes(const OptionSet& set, const BroadcastUpdate& lines, DatabaseKind kind,
                                     UpdaterState& state);

// The last trading day before `day`: neither a weekend nor a holiday.
DayNumber previous_trading_day(DayNumber day, const HolidayTable& holidays);

}  // namespace qv
