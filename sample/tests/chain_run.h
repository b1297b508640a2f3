#pragma once

// Running the sample installation's daily chain from tests: a generated
// installation, the chain of one day as the user's cron starts it (qbatch
// DAILY.BAT in the install folder), and the files the chain keeps, read whole
// for comparison.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qv::sample::testing {

// Ten days over the prepared weeks: a Monday, a COT week, the Friday of a
// released report, the Christmas holiday, a Monday after it, the month-end
// and a Monday after New Year.
inline const std::vector<std::string> chain_days = {
    "2020-12-07", "2020-12-08", "2020-12-11", "2020-12-14", "2020-12-24",
    "2020-12-25", "2020-12-28", "2020-12-31", "2021-01-04", "2021-01-08",
};

// Runs one of the suite's programs (from the test's bin folder) in `folder`
// with QUORVANT_ROOT set to it, its console output dropped; its exit status.
int run_in(const std::filesystem::path& folder, std::string_view program, const std::vector<std::string>& arguments = {});

// Writes the sample installation with its history (the CLC history from 2018),
// the vendor's prepared days and the build files into `folder`, and builds each build file once as the
// front end does (on 4 December 2020), so that they are autobuild outputs.
void make_chain_installation(const std::filesystem::path& folder);

// Starts the day's chain in its own process group; waited for by wait_chain.
pid_t start_chain(const std::filesystem::path& folder, std::string_view day);
void wait_chain(pid_t chain);
// Kills the whole chain, whatever program of it runs.
void kill_chain(pid_t chain);
void run_chain(const std::filesystem::path& folder, std::string_view day);

// The files the chain keeps, by path relative to the installation: the
// database files, the autobuild outputs and the user's ASCII and MetaStock
// files (favourites too). Work files are left out, and the stamp of each
// MASTER (which follows the clock) is zeroed.
using FileSet = std::map<std::string, std::string>;
FileSet kept_files(const std::filesystem::path& folder);

std::string read_file(const std::filesystem::path& path);

// A SQLite file as the sqlite3 program reads it: its integrity check and a
// digest of the rows of every table (not of the pages that hold them), so
// that two files that hold the same rows give the same text.
std::string sqlite_digest(const std::filesystem::path& file);

}  // namespace qv::sample::testing
