#pragma once

// What the benchmarks share: timing a job, a temporary folder to work in, and
// a long CLC history to work on.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/tables.h"

namespace qv::bench {

// The fastest of `rounds` runs of `job`, in seconds; `before` runs ahead of
// each round, outside the time taken.
double best_seconds(int rounds, const std::function<void()>& job);
double best_seconds(int rounds, const std::function<void()>& before, const std::function<void()>& job);

// A new folder under the system's temporary folder, named after the
// benchmark; nothing after a message when it cannot be made.
std::optional<std::filesystem::path> make_bench_folder(std::string_view benchmark);

// Writes the sample installation into the folder and makes it the programs'
// installation ($QUORVANT_ROOT), on Monday 7 December 2020 ($QUORVANT_TODAY),
// the day after its history ends.
void use_sample_installation(const std::filesystem::path& folder);

// The end of a benchmark's folder: removed, or kept for profiling when
// QV_BENCH_KEEP is set, with its place shown.
void leave_bench_folder(const std::filesystem::path& folder);

// A file's bytes.
std::string file_contents(const std::filesystem::path& path);

// The commodity's CLC file in the install folder: 40 years of weekdays up to
// Friday 4 December 2020, prices that wander within the commodity's price
// width, a roll-over record every quarter.
void write_clc_history(const Commodity& row);

// Runs a program as a process, as a user starts it (its screen output to
// /dev/null), after a sync so that no earlier write is paid for by it; its
// time in seconds, or a negative time when it did not end with 0.
double timed_process(const std::filesystem::path& program, const std::vector<std::string>& arguments);

// A shell command for timed_process("/bin/sh", {"-c", copy_then_sync, FROM, TO}):
// cp -r FROM TO, then one syncfs of TO's file system.
inline constexpr const char* copy_then_sync = "cp -r \"$0\" \"$1\" && sync -f \"$1\"";

double median(std::vector<double> values);

// The machine's load averages over 1, 5 and 15 minutes, as /proc/loadavg has them.
std::string load_average();

// A checksum (64-bit FNV-1a) of the names and bytes of every file under the folder.
std::uint64_t folder_checksum(const std::filesystem::path& folder);

}  // namespace qv::bench
