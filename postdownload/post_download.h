#pragma once

// The post-download processing: after the download has put new update files
// into \QUORVANT\UPDATES\, clear what the last merge left behind, drop empty
// downloads, pass the vendor's system message on to QUORUP.MSG and start the
// updater in merge mode. When the holidays or the settings cannot be used, the
// merge is handed to \QUORVANT\merge.bat instead.

#include <array>
#include <functional>
#include <string_view>

namespace qv::postdownload {

// The processes the run starts, so that tests can watch them. The real ones
// are given by postdownload_steps().
struct PostdownloadSteps {
    // Runs a command line and waits ("QUORUP.EXE /M", "ATTRIB -R ...").
    std::function<int(std::string_view command_line)> run_command;
    // Runs the batch file in place of this program; returns only on failure.
    std::function<void(std::string_view batch_file)> replace_by_batch;
};

PostdownloadSteps postdownload_steps();

// The command that starts the updater in merge mode.
inline constexpr std::string_view merge_command = "QUORUP.EXE /M";

// The lines of merge.bat.
inline constexpr std::array<std::string_view, 4> merge_batch_lines = {
    "@ECHO OFF",
    "START QUORUP /M",
    "START CONQUIT \"Finished_-_Postquor\" 1000",
    "START CONQUIT \"Finished_-_Merge\" 1000",
};

// Deletes every empty *.CLC, *.IDX and *.COT file of the update folder.
void delete_zero_files();

// Appends the lines of \QUORVANT\SYSTEM.MSG to QUORUP.MSG, which is left in
// place; nothing when there is no system message or the message file cannot
// be opened.
void process_system_msg();

// Writes \QUORVANT\merge.bat anew; -1 when it could not be written (an old one
// then stays as it was).
int create_merge(const PostdownloadSteps& steps);

// Hands the merge to merge.bat and ends the program.
[[noreturn]] void crash_merge(const PostdownloadSteps& steps);

// The whole run from the start screen to the end of the merge.
void run_postdownload(const PostdownloadSteps& steps);

}  // namespace qv::postdownload
