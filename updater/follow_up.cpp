#include "updater/follow_up.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <string>
#include <vector>

#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/platform/run_status.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view batch_file = install::hand_over_batch;
constexpr std::string_view roll_file = install::roll_list;
constexpr std::string_view bcast_file = install::broadcast_list_file;
// BCAST.TXT is read in pieces of at most 100 characters here.
constexpr std::size_t bcast_piece = 100;
constexpr std::size_t build_line_length = 255;

void put_line(std::FILE* file, std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
}

std::vector<std::string> read_lines(std::FILE* file) {
    std::vector<std::string> lines;
    std::string line;
    while (read_line(file, line, build_line_length)) lines.push_back(without_line_end(line));
    return lines;
}

// The first commodity in table order whose outputs are to be rebuilt and that
// a line of the set reads ("BP_CLC ...").
bool set_needs_rebuild(const UpdaterState& state, const std::vector<std::string>& lines, std::size_t first,
                       std::size_t end) {
    for (std::size_t row = 0; row < state.tables.size(); ++row) {
        if (row >= state.rebuild_state.size() || state.rebuild_state[row] != rebuild_outputs) continue;
        const std::string input = state.tables[row].tag + "_CLC";
        for (std::size_t i = first; i < end; ++i)
            if (starts_with_no_case(lines[i], input)) return true;
    }
    return false;
}

bool is_option_line(std::string_view line) { return !line.empty() && line.front() == '#'; }

bool is_comment_line(std::string_view line) {
    return starts_with_no_case(line, "REM") && (line.size() == 3 || line[3] == ' ' || line[3] == ':');
}

// A build file as DFORGE finds it: in the install folder, else in AUTO\.
FilePtr open_build_file(const std::string& name) {
    if (FilePtr build = open_file(std::string(install::root) + name, "r")) return build;
    return open_file(std::string(install::auto_folder) + name, "r");
}

// The rebuild list, created by its first set; every later set follows an
// empty line.
class RollList {
public:
    explicit RollList(const char* mode) : mode_(mode) {}

    bool failed() const { return failed_; }

    // Writes the set lines[first, end) of a build file so that it builds by
    // itself: its output line (the first line that is neither an option nor a
    // comment), every option line before it in the build file, which the
    // builder had applied by then, and the set's lines after it. DFORGE starts
    // each set of the list from the build map's settings, so no set takes
    // options from the set before it. A set without an output line (options
    // only) writes nothing: its options go with the later sets.
    void write_set(const std::vector<std::string>& lines, std::size_t first, std::size_t end) {
        std::size_t output = first;
        while (output < end && (is_option_line(lines[output]) || is_comment_line(lines[output]))) ++output;
        if (output == end || !start_set()) return;
        put_line(file_.get(), lines[output]);
        for (std::size_t j = 0; j < output; ++j)
            if (is_option_line(lines[j])) put_line(file_.get(), lines[j]);
        for (std::size_t j = output + 1; j < end; ++j) put_line(file_.get(), lines[j]);
    }

private:
    bool start_set() {
        if (failed_) return false;
        if (file_) {
            std::fputc('\n', file_.get());
            return true;
        }
        file_ = open_file(roll_file, mode_);
        failed_ = !file_;
        if (file_ && std::string_view(mode_) == "a") std::fputc('\n', file_.get());
        return !failed_;
    }

    const char* mode_;
    FilePtr file_;
    bool failed_ = false;
};

// Calls `each_set(first, end)` for the sets of a build file: runs of lines of
// at least 4 characters.
template <typename EachSet>
void for_each_set(const std::vector<std::string>& lines, EachSet each_set) {
    std::size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].size() < 4) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < lines.size() && lines[i].size() >= 4) ++i;
        each_set(first, i);
    }
}

}  // namespace

void write_rebuild_list(const UpdaterState& state) {
    if (file_exists(install::no_roll_marker)) return;
    const FilePtr list = open_file(bcast_file, "r");
    if (!list) return;
    RollList roll("w");
    std::string piece;
    while (read_line(list.get(), piece, bcast_piece) && !roll.failed()) {
        const std::string name = without_line_end(piece);
        if (name.empty()) continue;
        const FilePtr build = open_build_file(name);
        if (!build) continue;
        const std::vector<std::string> lines = read_lines(build.get());
        for_each_set(lines, [&](std::size_t first, std::size_t end) {
            if (set_needs_rebuild(state, lines, first, end)) roll.write_set(lines, first, end);
        });
    }
}

void add_cash_index_builds(const UpdaterState& state) {
    if (!state.idx_merged || file_exists(install::no_cash_marker)) return;
    const FilePtr list = open_file(bcast_file, "r");
    if (!list) return;
    // 'A' an ASCII build, 'M' a MetaStock build; a later line decides.
    std::array<char, 4> builds{};
    std::string piece;
    while (read_line(list.get(), piece, bcast_piece)) {
        for (int n = 1; n <= 3; ++n)
            if (piece.find(format("$C%d", n)) != std::string::npos)
                builds[n] = piece.find("ASC") != std::string::npos ? 'A' : 'M';
    }
    if (std::all_of(builds.begin(), builds.end(), [](char b) { return b == 0; })) return;
    // Each set of a cash-index build goes in whole, in the same form as the
    // rebuild list's sets.
    RollList roll("a");
    for (int n = 1; n <= 3 && !roll.failed(); ++n) {
        if (builds[n] == 0) continue;
        const FilePtr build = open_file(format("%s$C%d.%s", std::string(install::root).c_str(), n, builds[n] == 'A' ? "ASC" : "MS"), "r");
        if (!build) continue;
        const std::vector<std::string> lines = read_lines(build.get());
        for_each_set(lines, [&](std::size_t first, std::size_t end) { roll.write_set(lines, first, end); });
    }
}

void run_follow_up_batch(UpdaterState& state, const BatchRunner& run_batch) {
    {
        const FilePtr batch = open_file(batch_file, "a");
        if (!batch) {
            updater_message("ERROR- COULD NOT CREATE TEMPZIP.BAT FILE");
            note_failed_run();
            return;
        }
        put_line(batch.get(), "@ECHO OFF");
    }
    // A commodity that got several days in one file has its outputs rebuilt.
    for (std::size_t row = 0; row < state.several_days.size() && row < state.rebuild_state.size(); ++row)
        if (state.several_days[row]) state.rebuild_state[row] = rebuild_outputs;
    if (std::any_of(state.rebuild_state.begin(), state.rebuild_state.end(), [](int s) { return s != 0; }))
        write_rebuild_list(state);
    add_cash_index_builds(state);

    {
        const FilePtr batch = open_file(batch_file, "a");
        if (!batch) return;
        if (file_exists(roll_file)) put_line(batch.get(), "CALL DFORGE $ROLL");
        if (!list_matching(state.update_directory + "EU??????.CLC").empty()) {
            put_line(batch.get(), install::distributor_program);
            put_line(batch.get(), install::bulletin_viewer);
        }
    }
    if (file_exists(batch_file)) run_batch(batch_file);
}

void replace_by_follow_up_batch(std::string_view batch_file) {
    if (const FilePtr batch = open_file(batch_file, "r")) {
        std::string line;
        bool commands = false;
        while (!commands && read_line(batch.get(), line, build_line_length)) {
            const std::string text = without_line_end(line);
            commands = !text.empty() && !equal_no_case(text, "@ECHO OFF");
        }
        if (!commands && !std::ferror(batch.get())) return;
    }
    replace_by_batch(batch_file);
}

}  // namespace qv::updater
