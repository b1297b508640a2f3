#pragma once

// What the benchmarks share: timing a job, a temporary folder to work in, and
// a long CLC history to work on.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/tables.h"

namespace qv::bench {

// The fastest of `rounds` runs of `job`, in seconds; `before` runs ahead of
// each round, outside the time taken.
double best_seconds(int rounds, const std::function<void()>& job);
double best_seconds(int rounds, const std::function<void()>& before, const std::function<void()>& job);

// A new folder under the system's temporary folder, named after the
// benchmark; nothing after a message when it cannot be made.
std::optional<std::filesystem::path> make_bench_folder(std::string_view benchmark);

// A file's bytes.
std::string file_contents(const std::filesystem::path& path);

// The commodity's CLC file in the install folder: 40 years of weekdays up to
// Friday 4 December 2020, prices that wander within the commodity's price
// width, a roll-over record every quarter.
void write_clc_history(const Commodity& row);

}  // namespace qv::bench
