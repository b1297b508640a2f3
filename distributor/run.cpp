#include "distributor/run.h"

#include <optional>
#include <string>
#include <vector>

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/process.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "distributor/ascii_append.h"
#include "distributor/computrac.h"
#include "distributor/distributor_settings.h"
#include "distributor/last_eu_date.h"
#include "distributor/meta_append.h"
#include "distributor/start_up.h"
#include "common/install_files.h"

namespace qv::distributor {

namespace {

constexpr std::string_view updates_folder = install::updates_folder;
constexpr std::string_view mkpicks = install::favourites_program;

// A file named before this day is the history file (EU991231.CLC), whose name
// says nothing of the days it holds: the note then takes the newest day
// written instead of the file's own day.
const DayNumber first_dated_update = date_to_lotus(2002, 6, 6);

std::string update_path(std::string_view name) { return std::string(updates_folder) + std::string(name); }

// The name of an update file once it is done: its second character "_".
std::string done_name(std::string_view name) {
    std::string done(name);
    if (done.size() > 1) done[1] = '_';
    return done;
}

std::optional<int> two_digits(std::string_view name, std::size_t at) {
    if (name.size() < at + 2) return std::nullopt;
    const char a = name[at];
    const char b = name[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
    return (a - '0') * 10 + (b - '0');
}

struct UpdateEntry {
    char status = 'U';
    std::string name;
};

std::vector<UpdateEntry> collect_update_files() {
    std::vector<UpdateEntry> table;
    for (const FolderEntry& entry : list_matching(update_path("EU??????.CLC"))) {
        table.push_back({'U', entry.name});
        if (table.size() == update_file_table_size) {
            message(distributor_profile, too_many_files_message);
            break;
        }
    }
    return table;
}

// The pending entry of the oldest day; among equal days the first in the
// table. Nothing when no pending entry holds a day below the bound, so a name
// without a date there stays pending instead of being picked forever.
UpdateEntry* oldest_pending(std::vector<UpdateEntry>& table) {
    UpdateEntry* oldest = nullptr;
    DayNumber oldest_day = update_day_bound;
    for (UpdateEntry& entry : table) {
        if (entry.status != 'U') continue;
        const DayNumber day = update_file_day(entry.name);
        if (day != no_date && day < oldest_day) {
            oldest = &entry;
            oldest_day = day;
        }
    }
    return oldest;
}

// An update file some of whose writes failed is not done: it keeps its EU
// name for the next run, which carries it again (a day already written is
// written the same again). The warning screen names the first files, the
// message file every one.
void report_failed_writes(std::string_view name, const std::vector<std::string>& failed) {
    if (const FilePtr log = open_file(install::message_file, "a")) {
        std::fprintf(log.get(), "%s NOT MERGED, IT STAYS PENDING FOR THE NEXT RUN; COULD NOT WRITE:\n",
                     std::string(name).c_str());
        for (const std::string& path : failed) std::fprintf(log.get(), "   %s\n", path.c_str());
    }
    std::string files;
    for (std::size_t i = 0; i < failed.size() && i < 3; ++i) files += (i ? ", " : "") + failed[i];
    if (failed.size() > 3) files += format(" AND %d MORE (SEE QUORUP.MSG)", static_cast<int>(failed.size() - 3));
    message(distributor_profile, format("ERROR-COULD NOT WRITE %s,@%s STAYS PENDING FOR THE NEXT RUN.",
                                        files.c_str(), std::string(name).c_str()));
}

// The folders whose files the distribution of an update file wrote.
std::vector<std::string> written_folders(const Distribution& run) {
    std::vector<std::string> folders{std::string(install::root)};
    const char kind = run.settings.extended_contracts;
    if (kind == 'A' || kind == 'B') folders.push_back(run.settings.ascii_path);
    if (kind == 'M' || kind == 'B') folders.push_back(run.settings.meta_path);
    return folders;
}

}  // namespace

DistributorSteps distributor_steps() {
    return {
        change_comptrac_array,
        append_ascii_updates,
        append_meta_updates,
        start_command,
    };
}

DayNumber update_file_day(std::string_view name) {
    const auto yy = two_digits(name, 2);
    const auto mm = two_digits(name, 4);
    const auto dd = two_digits(name, 6);
    if (!yy || !mm || !dd || *mm < 1 || *mm > 12 || *dd < 1 || *dd > 31) return no_date;
    return date_to_lotus(*yy > 29 ? 1900 + *yy : 2000 + *yy, *mm, *dd);
}

HistoryMode detect_history_mode() {
    const std::optional<std::uintmax_t> size = file_size(update_path(history_file_name));
    if (!size || !file_exists(update_path(history_file_name))) return HistoryMode::update;
    const HistoryMode mode = *size > deep_history_size    ? HistoryMode::deep_history
                             : *size > light_history_size ? HistoryMode::light_history
                                                          : HistoryMode::update;
    // A done file of an earlier run goes; the history file is never renamed
    // away for this, and no pending update file is deleted, so a run cut off
    // here loses nothing.
    const std::vector<FolderEntry> done = list_matching(update_path("E_*.CLC"));
    if (!done.empty()) delete_file(update_path(done.front().name));
    return mode;
}

namespace {

constexpr ScreenText deep_history_screen[] = {
    {32, 8, "---WORKING ON---"},
    {23, 11, "INSTALLING DEEP HISTORY FUTURES CONTRACTS"},
    {23, 14, "Data Format:          "},
    {23, 17, "Commodity Being Installed:    "},
};
constexpr ScreenText light_history_screen[] = {
    {32, 8, "---WORKING ON---"},
    {23, 11, "INSTALLING LIGHT HISTORY FUTURES CONTRACTS"},
    {23, 14, "Data Format:          "},
    {23, 17, "Commodity Being Installed:    "},
};
constexpr ScreenText update_screen[] = {
    {32, 8, "---WORKING ON---"},
    {23, 11, "UPDATING INDIVIDUAL FUTURES CONTRACTS"},
    {23, 14, "Update File Being Processed:              "},
    {23, 17, "Commodity Being Updated:   "},
};

}  // namespace

void show_working_screen(HistoryMode mode) {
    switch (mode) {
        case HistoryMode::deep_history: console().draw(deep_history_screen); return;
        case HistoryMode::light_history: console().draw(light_history_screen); return;
        case HistoryMode::update: console().draw(update_screen); return;
    }
}

void process_update_files(Distribution& run, const DistributorSteps& steps) {
    std::vector<UpdateEntry> table = collect_update_files();
    // A done twin left by an earlier run would keep the file from its done name.
    for (const UpdateEntry& entry : table) delete_file(update_path(done_name(entry.name)));
    // The favourites are copied again once the user's files change, even when
    // this run is stopped before it starts the favourites builder.
    if (oldest_pending(table) && keeps_favourites()) mark_favourites_pending();

    const char kind = run.settings.extended_contracts;
    while (UpdateEntry* entry = oldest_pending(table)) {
        if (run.mode == HistoryMode::update) {
            const std::string name = to_upper(entry->name);
            console().draw({{52, 14, name}});
        }
        const std::string path = update_path(entry->name);
        run.failed_writes.clear();
        int ascii = 0;
        int meta = 0;
        if (kind == 'A' || kind == 'B') ascii = steps.append_ascii_updates(path, run);
        if (kind == 'M' || kind == 'B') meta = steps.append_meta_updates(path, run);
        if (ascii != 0 || meta != 0) start_favourites(steps);
        if (!run.failed_writes.empty()) {
            report_failed_writes(entry->name, run.failed_writes);
            start_favourites(steps);
        }

        if (const FilePtr log = open_file(install::message_file, "a"))
            std::fprintf(log.get(), "%s MERGED O.K.\n", entry->name.c_str());
        const DayNumber day = update_file_day(entry->name);
        if (record_last_eu_date(day >= first_dated_update ? day : run.newest_written) != 0) start_favourites(steps);
        // What the file's done name promises is on the disk first.
        sync_to_disk(written_folders(run));
        rename_file(path, update_path(done_name(entry->name)));
        entry->status = '_';
    }
}

bool keeps_favourites() {
    const bool favourites = open_file(install::favourites_ascii_list, "r") || open_file(install::favourites_meta_list, "r");
    return favourites && file_exists(mkpicks);
}

void mark_favourites_pending() {
    // Without the mark only a run that is stopped would leave its favourites
    // behind: this run goes on either way.
    open_file(install::favourites_pending, "w");
}

void start_favourites(const DistributorSteps& steps) {
    if (keeps_favourites()) steps.start_program(mkpicks);
    throw ProgramEnd{};
}

void run_distributor(const DistributorSteps& steps) {
    StartUp loaded = start_up();
    delete_file("fullsize");
    steps.change_comptrac_array(loaded.commodities);
    const bool header_flag = static_cast<bool>(open_file(install::meta13_marker, "r"));
    const HistoryMode mode = detect_history_mode();
    if (list_matching(update_path("EU*.CLC")).empty()) {
        // A run stopped after it changed the user's files and before the
        // favourites builder finished has nothing left to carry but the
        // favourites to copy.
        if (file_exists(install::favourites_pending)) {
            if (keeps_favourites()) start_favourites(steps);
            delete_file(install::favourites_pending);  // no favourites to copy any more
        }
        throw ProgramEnd{};
    }
    show_working_screen(mode);

    const DistributorSettings settings = read_distributor_settings();
    Distribution run{settings, loaded.commodities, header_flag, mode};
    process_update_files(run, steps);
    start_favourites(steps);
}

}  // namespace qv::distributor
