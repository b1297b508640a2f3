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
#include "common/platform/work_file.h"
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

void put_line(std::string& text, std::string_view line) {
    text += line;
    text += '\n';
}

std::vector<std::string> read_lines(std::FILE* file) {
    std::vector<std::string> lines;
    std::string line;
    while (read_line(file, line, build_line_length)) lines.push_back(without_line_end(line));
    return lines;
}

// A commodity rolled over in the broadcast, or one that got several days in
// one file, has its outputs rebuilt.
bool needs_rebuild(const UpdaterState& state, std::size_t row) {
    return (row < state.rebuild_state.size() && state.rebuild_state[row] == rebuild_outputs) ||
           (row < state.several_days.size() && state.several_days[row]);
}

// The first commodity in table order whose outputs are to be rebuilt and that
// a line of the set reads ("BP_CLC ...").
bool set_needs_rebuild(const UpdaterState& state, const std::vector<std::string>& lines, std::size_t first,
                       std::size_t end) {
    for (std::size_t row = 0; row < state.tables.size(); ++row) {
        if (!needs_rebuild(state, row)) continue;
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

// Sets of the rebuild list, each after an empty line but the first (or each,
// when the sets follow others).
class RollList {
public:
    explicit RollList(bool follows_other_sets) : follows_other_sets_(follows_other_sets) {}

    const std::string& text() const { return text_; }

    // Adds the set lines[first, end) of a build file so that it builds by
    // itself: its output line (the first line that is neither an option nor a
    // comment), every option line before it in the build file, which the
    // builder had applied by then, and the set's lines after it. DFORGE starts
    // each set of the list from the build map's settings, so no set takes
    // options from the set before it. A set without an output line (options
    // only) adds nothing: its options go with the later sets.
    void write_set(const std::vector<std::string>& lines, std::size_t first, std::size_t end) {
        std::size_t output = first;
        while (output < end && (is_option_line(lines[output]) || is_comment_line(lines[output]))) ++output;
        if (output == end) return;
        if (!text_.empty() || follows_other_sets_) text_ += '\n';
        put_line(text_, lines[output]);
        for (std::size_t j = 0; j < output; ++j)
            if (is_option_line(lines[j])) put_line(text_, lines[j]);
        for (std::size_t j = output + 1; j < end; ++j) put_line(text_, lines[j]);
    }

private:
    bool follows_other_sets_;
    std::string text_;
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

namespace {

// The sets of the build files listed in BCAST.TXT that read a commodity to be
// rebuilt; nothing when $NOROLL exists.
std::string rebuild_sets(const UpdaterState& state, bool follows_other_sets) {
    bool any = false;
    for (std::size_t row = 0; row < state.tables.size() && !any; ++row) any = needs_rebuild(state, row);
    if (!any) return {};
    if (file_exists(install::no_roll_marker)) return {};
    const FilePtr list = open_file(bcast_file, "r");
    if (!list) return {};
    RollList roll(follows_other_sets);
    std::string piece;
    while (read_line(list.get(), piece, bcast_piece)) {
        const std::string name = without_line_end(piece);
        if (name.empty()) continue;
        const FilePtr build = open_build_file(name);
        if (!build) continue;
        const std::vector<std::string> lines = read_lines(build.get());
        for_each_set(lines, [&](std::size_t first, std::size_t end) {
            if (set_needs_rebuild(state, lines, first, end)) roll.write_set(lines, first, end);
        });
    }
    return roll.text();
}

// The sets of the cash-index builds $C1 to $C3 named in BCAST.TXT, after an
// IDX update was merged, unless $NOCASH exists.
std::string cash_index_sets(const UpdaterState& state) {
    if (!state.idx_merged || file_exists(install::no_cash_marker)) return {};
    const FilePtr list = open_file(bcast_file, "r");
    if (!list) return {};
    // 'A' an ASCII build, 'M' a MetaStock build; a later line decides.
    std::array<char, 4> builds{};
    std::string piece;
    while (read_line(list.get(), piece, bcast_piece)) {
        for (int n = 1; n <= 3; ++n)
            if (piece.find(format("$C%d", n)) != std::string::npos)
                builds[n] = piece.find("ASC") != std::string::npos ? 'A' : 'M';
    }
    // Each set of a cash-index build goes in whole, in the same form as the
    // rebuild list's sets, each after an empty line.
    RollList roll(true);
    for (int n = 1; n <= 3; ++n) {
        if (builds[n] == 0) continue;
        const FilePtr build = open_file(format("%s$C%d.%s", std::string(install::root).c_str(), n, builds[n] == 'A' ? "ASC" : "MS"), "r");
        if (!build) continue;
        const std::vector<std::string> lines = read_lines(build.get());
        for_each_set(lines, [&](std::size_t first, std::size_t end) { roll.write_set(lines, first, end); });
    }
    return roll.text();
}

}  // namespace

std::string read_pending_rebuild_list() {
    std::string text;
    if (const FilePtr file = open_file(roll_file, "rb")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

bool write_rebuild_list(UpdaterState& state) {
    std::string text = state.pending_rebuild_list;
    text += rebuild_sets(state, !text.empty());
    text += cash_index_sets(state);
    if (text == state.written_rebuild_list) return true;
    WorkFile work(install::roll_work_file, roll_file);
    if (work.is_open()) std::fwrite(text.data(), 1, text.size(), work.file());
    if (!work.is_open() || !work.commit()) {
        updater_message("ERROR- COULD NOT WRITE THE REBUILD LIST " + std::string(roll_file));
        note_failed_run();
        return false;
    }
    state.written_rebuild_list = std::move(text);
    return true;
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
    write_rebuild_list(state);

    {
        const FilePtr batch = open_file(batch_file, "a");
        if (!batch) return;
        if (file_exists(roll_file)) put_line(batch.get(), "CALL DFORGE $ROLL");
        // The distributor also copies the favourites of a chain stopped before
        // they were copied (install::favourites_pending).
        if (!list_matching(state.update_directory + "EU??????.CLC").empty() ||
            file_exists(install::favourites_pending)) {
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
