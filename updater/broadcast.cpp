#include "updater/broadcast.h"

#include "updater/follow_up.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/build_settings.h"
#include "common/install_files.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/run_status.h"
#include "common/platform/text.h"
#include "updater/broadcast_lines.h"
#include "updater/broadcast_set.h"
#include "updater/follow_up.h"
#include "updater/option_set.h"

namespace qv::updater {

namespace {

constexpr std::string_view bcast_file = install::broadcast_list_file;
constexpr std::string_view work_file = install::broadcast_work_list;
// BCAST.TXT lines are read 44 characters at a time.
constexpr std::size_t bcast_line_length = 44;
// The broadcast list holds at most 499 update files.
constexpr std::size_t broadcast_list_limit = 499;

// The build settings every build file of the broadcast starts from.
BuildSettings build_map_defaults;

// A build file name as BCAST.TXT gives it, without blanks, commas, line ends
// and backslashes around it.
std::string trimmed_name(std::string_view line) {
    constexpr std::string_view trim = " ,\r\n\\";
    const std::size_t first = line.find_first_not_of(trim);
    if (first == std::string_view::npos) return {};
    const std::size_t last = line.find_last_not_of(trim);
    return std::string(line.substr(first, last - first + 1));
}

void copy_all(std::FILE* from, std::FILE* to) {
    char piece[4096];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, from)) > 0) std::fwrite(piece, 1, got, to);
}

void show_at(int column, int row, std::string_view text) {
    console().draw({{column, row, text, true}});
    console().flush();
}

// Rows 10 to 25 of the updater's screen cleared, then the broadcast's labels.
void show_broadcast_screen() {
    std::vector<ScreenText> screen;
    for (int row = 10; row <= 25; ++row) screen.push_back({1, row, "", true});
    console().draw(screen);
    show_at(13, 11, "DISTRIBUTING UPDATES TO YOUR ASCII & METASTOCK DATA FILES");
    show_at(24, 13, "Update File Being Processed:");
    show_at(24, 15, "Data File Being Updated:");
}

enum class ListFill { ok, too_many };

ListFill fill_broadcast_list(const UpdaterState& state, std::vector<std::string>& list) {
    for (const FolderEntry& entry : list_matching(state.update_directory + "DB??????.???")) {
        if (list.size() == broadcast_list_limit) {
            updater_message(
                "NOTICE - TOO MANY FILES TO PERFORM BROADCAST OPERATION,@PLEASE USE DATAFORGE TO BUILD YOUR FILES");
            note_failed_run();  // the outputs miss these days until they are rebuilt
            return ListFill::too_many;
        }
        list.push_back(to_upper(entry.name));
    }
    return ListFill::ok;
}

// The oldest file of the list by its name date; the first of equal dates.
std::size_t oldest(const std::vector<std::string>& list) {
    std::size_t found = 0;
    for (std::size_t i = 1; i < list.size(); ++i)
        if (name_date(list[i]) < name_date(list[found])) found = i;
    return found;
}

// Lists the build files of BCAST.TXT in the message file and answers their
// names as the work file's name lines give them; nothing when BCAST.TXT
// cannot be read.
std::optional<std::vector<std::string>> list_autobuild_files() {
    const FilePtr list = open_file(bcast_file, "r");
    if (!list) {
        updater_message("ERROR-CANNOT FIND 'BCAST.TXT' FILE@BYPASSING BROADCASTING OF UPDATES");
        note_failed_run();
        return std::nullopt;
    }
    updater_message("\nBROADCASTING UPDATES USING THESE AUTOBUILD FILES:");
    std::vector<std::string> names;
    std::string line;
    while (read_line(list.get(), line, bcast_line_length)) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        updater_message("        " + line);
        names.push_back(to_upper(trimmed_name(line)));
    }
    updater_message("  ");
    return names;
}

enum class Walk { done, stopped };

// Every set of the work file that reads the update's kind, on a sampling day
// of the set, gets the update.
Walk walk_sets(std::FILE* sets, const std::vector<std::string>& names, const BroadcastUpdate& lines,
               DatabaseKind kind, UpdaterState& state, bool& output_failed) {
    std::rewind(sets);
    OptionSetReader reader(sets, build_map_defaults, names);
    OptionSet set;
    while (true) {
        const SetRead read = reader.next(set);
        if (read == SetRead::end) return Walk::done;
        if (read == SetRead::error) return Walk::stopped;
        if (broadcast_into_set(set, lines, kind, state) == SetResult::failed) output_failed = true;
    }
}

void rename_broadcast_file(const UpdaterState& state, const std::string& name) {
    std::string done = name;
    done[1] = '_';
    delete_file(state.update_directory + done);
    rename_file(state.update_directory + name, state.update_directory + done);
}

}  // namespace

void load_build_map_defaults() { build_map_defaults = load_last_settings(LastMapStart::date_format); }

void prepare_broadcast(UpdaterState& state) {
    if (!file_exists(bcast_file)) return;
    const FilePtr out = open_file(work_file, "w");
    if (!out) {
        updater_message("ERROR-CAN'T CREATE TEMP FILE 'AUTOBLDX.TMP'@BROADCASTING OF UPDATES ABORTED");
        note_failed_run();
        return;
    }
    if (const FilePtr list = open_file(bcast_file, "r")) {
        std::string line;
        while (read_line(list.get(), line, bcast_line_length) && line.size() >= 3) {
            const std::string name = trimmed_name(line);
            if (name.empty()) continue;
            FilePtr build = open_file(name, "r");
            const std::string in_auto = std::string(install::auto_folder) + name;
            if (!build) build = open_file(in_auto, "r");
            if (!build) {
                updater_message(
                    format("ERROR-COULDN'T OPEN FILE %s,@BROADCASTING WITH THIS FILE BYPASSED", in_auto.c_str()));
                note_failed_run();
                continue;
            }
            std::fputs(("\n" + name + "\n").c_str(), out.get());
            copy_all(build.get(), out.get());
        }
    }
    state.broadcast_ready = true;
}

void broadcast(UpdaterState& state) {
    std::vector<std::string> list;
    if (fill_broadcast_list(state, list) == ListFill::too_many || list.empty()) {
        write_rollover_notice(state);
        return;
    }
    show_broadcast_screen();
    const std::optional<std::vector<std::string>> names = list_autobuild_files();
    if (!names) {
        write_rollover_notice(state);
        return;
    }
    const FilePtr sets = open_file(work_file, "r");
    if (!sets) {
        updater_message(
            "ERROR-CANNOT FIND SYSTEM AUTOBUILD FILE 'AUTOBLDX.TMP'@BYPASSING BROADCASTING OF UPDATES");
        note_failed_run();
        write_rollover_notice(state);
        return;
    }
    bool output_failed = false;
    while (!list.empty()) {
        const std::size_t next = oldest(list);
        const std::string name = list[next];
        const std::optional<DatabaseKind> kind = broadcast_kind_of(name);
        if (!kind) break;
        show_at(52, 13, name);
        if (*kind != DatabaseKind::cot) {
            const BroadcastUpdate lines = read_broadcast_update(name, state);
            if (walk_sets(sets.get(), *names, lines, *kind, state, output_failed) == Walk::stopped) {
                note_failed_run();
                break;
            }
        }
        // The rebuilds this file calls for are on the list before the file
        // counts as done; without the list the file waits for the next run,
        // whose broadcast serves it again and finds its roll-overs again.
        if (!write_rebuild_list(state)) break;
        rename_broadcast_file(state, name);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(next));
        if (!output_failed) updater_message(name + " BROADCASTED O.K.");
    }
    // An output that could not be served is a skipped output of the run.
    if (output_failed) note_failed_run();
    write_rollover_notice(state);
}

void finish_unserved_broadcasts(UpdaterState& state) {
    if (!write_rebuild_list(state)) return;
    for (const FolderEntry& entry : list_matching(state.update_directory + "DB??????.???"))
        rename_broadcast_file(state, to_upper(entry.name));
}

void write_rollover_notice(const UpdaterState& state) {
    std::vector<const Commodity*> rolled;
    for (std::size_t row = 0; row < state.tables.size() && row < state.rebuild_state.size(); ++row)
        if (state.rebuild_state[row] == rebuild_outputs) rolled.push_back(&state.tables[row]);
    if (rolled.empty()) return;
    std::string text = "\n----------------------------- ROLLOVER -----------------------------";
    text += format("\n\nTHE FOLLOWING %d COMMODITIES HAVE ROLLED OVER AND WERE AUTOMATICALLY RELINKED:\n\n",
                   static_cast<int>(rolled.size()));
    for (std::size_t i = 0; i < rolled.size(); ++i) {
        text += rolled[i]->name;
        text += i % 3 == 2 ? std::string("\n") : std::string(11, ' ');
    }
    text += "\n\n--------------------------------------------------------------------";
    text += "\n\n";
    if (const FilePtr file = open_file(install::message_file, "a")) std::fputs(text.c_str(), file.get());
}

}  // namespace qv::updater
