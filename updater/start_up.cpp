#include "updater/start_up.h"

#include <cstdio>
#include <string>

#include "common/platform/console.h"
#include "common/platform/run_status.h"
#include "common/platform/paths.h"
#include "common/platform/program_end.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/update_file.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view fixed_update_folder = install::updates_folder;

void delete_matching(const std::string& folder, std::string_view pattern) {
    for (const FolderEntry& entry : list_matching(folder + std::string(pattern))) delete_file(folder + entry.name);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A received update file already under its proper name: exactly 12
// characters, a date as characters 3 to 8 and a database kind as extension.
bool has_proper_name(std::string_view name) {
    if (name.size() != 12 || name[8] != '.') return false;
    for (char c : name.substr(2, 6))
        if (!is_digit(c)) return false;
    const std::string_view extension = name.substr(9);
    return equal_no_case(extension, "COT") || equal_no_case(extension, "CLC") || equal_no_case(extension, "IDX");
}

// Renames a file of the folder, deleting a file that has the new name first.
// A new name that differs from the old one only in case is the same file.
void rename_replacing(const std::string& folder, const std::string& from, const std::string& to) {
    if (from == to) return;
    if (!equal_no_case(from, to)) delete_file(folder + to);
    rename_file(folder + from, folder + to);
}

}  // namespace

void show_updater_screen() { show_start_screen(updater_profile.banner); }

void delete_leftovers() {
    const std::string root(install::root);
    const std::string updates(fixed_update_folder);
    delete_file(std::string(install::roll_work_file));
    delete_matching(root, "?????ZIP.EXE");
    // DB files of a run stopped during its broadcast are kept: this run's
    // broadcast serves them (writing a day into an output twice changes
    // nothing), so that no output misses their day.
    delete_file(root + "TEMPZIP.BAT");
    for (const char* pattern : {"D*.*", "E*.*"})
        for (const FolderEntry& entry : list_matching(updates + pattern))
            if (entry.size == 0) delete_file(updates + entry.name);
}

void delete_old_processed_files(DayNumber today) {
    const std::string updates(fixed_update_folder);
    for (const FolderEntry& entry : list_matching(updates + "?_*.*")) {
        const DayNumber dated = name_date(entry.name);
        if (dated != no_date && static_cast<int>(today) - static_cast<int>(dated) > 10)
            delete_file(updates + entry.name);
    }
}

void normalise_update_names(std::string_view update_directory) {
    const std::string folder(update_directory);
    for (const FolderEntry& entry : list_matching(folder + "EX??????.???")) {
        const std::size_t dot = entry.name.rfind('.');
        if (dot == std::string::npos || equal_no_case(entry.name.substr(dot + 1), "CLC")) continue;
        rename_replacing(folder, entry.name, entry.name.substr(0, dot + 1) + "CLC");
    }
    for (const FolderEntry& entry : list_matching(folder + "?U*.*")) {
        if (has_proper_name(entry.name)) continue;
        if (const auto proper = read_header_file_name(folder + entry.name))
            rename_replacing(folder, entry.name, *proper);
    }
}

void make_sure_folder_exists(std::string_view folder) {
    std::string path(folder);
    if (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty() || folder_exists(path)) return;
    // Made directly, not through a command line, which would split a name
    // with blanks into several folders.
    create_folders(path);
}

void fill_received_files(UpdaterState& state) {
    state.received.clear();
    for (const char* pattern : {"?U??????.COT", "?U??????.CLC", "?U??????.IDX", "EX??????.CLC"}) {
        for (const FolderEntry& entry : list_matching(state.update_directory + pattern)) {
            if (state.received.size() == received_files_limit) return;
            state.received.push_back({'M', to_upper(entry.name)});
        }
    }
}

// The header goes into QUORUP.TMP, the earlier messages after it, and the
// work file then takes the message file's place in one rename, so that no
// message is lost at any moment. Without an earlier message file the header
// starts the new one.
//
// Without the work file the install folder takes no writing (read-only, or a
// full disk): the run ends before it merges anything, saying so, instead of
// merging without a message file to report to.
void start_message_file(DayNumber today) {
    WorkFile work(install::message_work_file, install::message_file);
    if (!work.is_open()) {
        console().write(format("\n\n\nWARNING:UNABLE TO OPEN QUORUP.TMP FILE IN %s,\n"
                               "THE FOLDER TAKES NO WRITING (READ-ONLY OR FULL?): NOTHING WAS MERGED.\n",
                               install_root().string().c_str()));
        note_failed_run();
        throw ProgramEnd{};
    }
    const Date date = lotus_to_date(today);
    std::fputs(format("QUORUP.MSG FILE        DATE:%d/%d/%d\n\n\n", date.month, date.day, date.year).c_str(),
               work.file());
    if (const FilePtr earlier = open_file(install::message_file, "rb")) {
        char piece[4096];
        std::size_t got = 0;
        while ((got = std::fread(piece, 1, sizeof piece, earlier.get())) > 0) std::fwrite(piece, 1, got, work.file());
        if (std::ferror(earlier.get())) return;  // the earlier messages stay as they are
    }
    work.commit();
}

}  // namespace qv::updater
