#include "updater/merge_loop.h"

#include <optional>
#include <string>

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/install_files.h"
#include "common/platform/run_status.h"
#include "common/platform/text.h"
#include "updater/broadcast.h"
#include "updater/bulletins.h"
#include "updater/merge_kinds.h"

namespace qv {

namespace {

std::string_view database_folder(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::clc: return install::clc_folder;
        case DatabaseKind::cot: return install::cot_folder;
        case DatabaseKind::idx: return install::idx_folder;
    }
    return install::root;
}

std::string_view kind_text(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::clc: return "CLC";
        case DatabaseKind::cot: return "COT";
        case DatabaseKind::idx: return "IDX";
    }
    return "";
}

void show_merge_screen() {
    console().draw({
        {32, 8, "---WORKING ON---"},
        {26, 11, "Database Being Updated:"},
        {17, 14, "Date Being Processed:              Item:"},
    });
    console().flush();
}

// The kind and date fields, each cleared before it is written.
void show_file(DatabaseKind kind, std::string_view name) {
    const Date date = lotus_to_date(name_date(name));
    const std::string shown_date = format(" %02d/%02d/%04d", date.month, date.day, date.year);
    console().draw({
        {49, 11, "     "},
        {50, 11, kind_text(kind)},
        {38, 14, "           "},
        {38, 14, shown_date},
    });
    console().flush();
}

// The next file of the kind to merge: a received D, M or Y update of that
// extension with the oldest name date; among equal dates the earlier entry.
std::optional<std::size_t> next_file(const UpdaterState& state, DatabaseKind kind) {
    std::optional<std::size_t> found;
    DayNumber oldest = 0;
    for (std::size_t i = 0; i < state.received.size(); ++i) {
        const ReceivedFile& entry = state.received[i];
        const std::string& name = entry.name;
        if (entry.kind != 'M' || name.size() < 12 || name[1] != 'U') continue;
        if (name[0] != 'D' && name[0] != 'M' && name[0] != 'Y') continue;
        if (name.substr(9, 3) != kind_text(kind)) continue;
        const DayNumber dated = name_date(name);
        if (!found || dated < oldest) {
            found = i;
            oldest = dated;
        }
    }
    return found;
}

// The merged files wait for the broadcast, and so do those of an earlier run
// that was stopped before its broadcast had served them all.
void broadcast_waiting_files(UpdaterState& state) {
    if (state.broadcast_ready) broadcast(state);
    else finish_unserved_broadcasts(state);
}

}  // namespace

int merge_kind(UpdaterState& state, DatabaseKind kind, const FileMerge& merge_file) {
    while (const std::optional<std::size_t> index = next_file(state, kind)) {
        const std::string name = state.received[*index].name;
        extract_bulletin(state, name);
        show_file(kind, name);
        const int result = merge_file(state, kind, name);
        if (state.message_mode)
            updater_message(name + (result == 0 ? " MERGED O.K." : " ******  MERGE PROBLEM  ******"));
        if (result != 0) {
            note_failed_run();
            return -1;
        }

        // The database files the merge replaced are on the disk before the
        // update file's new name says it was merged: one sync of their file
        // system, not one per file.
        sync_to_disk({std::string(database_folder(kind))});

        // Merged CLC and IDX files wait for the broadcast when there is one;
        // every other file is done.
        const bool waits = state.broadcast_ready && (kind == DatabaseKind::clc || kind == DatabaseKind::idx);
        std::string renamed = name;
        renamed[1] = waits ? 'B' : '_';
        delete_file(state.update_directory + renamed);
        rename_file(state.update_directory + name, state.update_directory + renamed);
        state.received.erase(state.received.begin() + static_cast<std::ptrdiff_t>(*index));
    }
    return 0;
}

MergeOutcome merge_updates(UpdaterState& state, const FileMerge& merge_file) {
    bool updates = false;
    bool distributor_files = false;
    for (const ReceivedFile& entry : state.received) {
        if (entry.kind != 'M') continue;
        (!entry.name.empty() && entry.name[0] == 'E' ? distributor_files : updates) = true;
    }
    if (!updates && !distributor_files) {
        updater_message("YOUR \\QUORVANT\\UPDATES DIRECTORY DOES NOT CONTAIN@ANY UPDATE FILES TO BE MERGED??");
        broadcast_waiting_files(state);
        return MergeOutcome::nothing_to_merge;
    }
    if (!updates) {
        broadcast_waiting_files(state);
        return MergeOutcome::distributor_only;
    }

    show_merge_screen();
    for (const DatabaseKind kind : {DatabaseKind::idx, DatabaseKind::clc, DatabaseKind::cot})
        if (merge_kind(state, kind, merge_file) != 0) break;
    broadcast_waiting_files(state);
    return MergeOutcome::done;
}

}  // namespace qv
