#include "postdownload/post_download.h"

#include <string>

#include "common/calendar.h"
#include "common/holidays.h"
#include "common/install_files.h"
#include "common/messages.h"
#include "common/platform/clock.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/platform/program_end.h"
#include "common/platform/work_file.h"
#include "common/settings.h"
#include "common/tool.h"
#include "postdownload/start_up.h"

namespace qv::postdownload {

namespace {

// Lines of the system message are copied through a buffer of 149 characters.
constexpr std::size_t system_message_line = 149;

DayNumber today() {
    const LocalTime time = now();
    return date_to_lotus(2000 + time.year % 100, time.month, time.day);
}

// The settings, with the dial-number rule applied and saved here rather than
// inside the loader, so that a settings file that cannot be rewritten is known
// and the merge goes through merge.bat.
void load_ini(const PostdownloadSteps& steps) {
    SettingsRules rules = postdownload_settings;
    rules.dial_number_rule = false;
    std::optional<Settings> settings = load_settings(postdownload_profile, rules);
    if (!settings) throw ProgramEnd{};
    if (apply_dial_number_rule(*settings, today()) &&
        !save_settings(*settings, postdownload_profile, postdownload_settings))
        crash_merge(steps);
}

// The holidays; any fault of the file goes as a notice into QUORUP.MSG and the
// merge through merge.bat.
void check_holidays(const PostdownloadSteps& steps) {
    try {
        load_holidays(postdownload_profile.holidays, [](std::string_view text) {
            std::string line(text);
            if (!line.empty() && line.back() == '\n') line.pop_back();
            append_notice(line);
        });
    } catch (const ProgramEnd&) {
        crash_merge(steps);
    }
}

}  // namespace

PostdownloadSteps postdownload_steps() {
    return {
        run_command,
        replace_by_batch,
    };
}

void delete_zero_files() {
    for (const std::string_view pattern : {"*.CLC", "*.IDX", "*.COT"}) {
        const std::string folder(install::updates_folder);
        for (const FolderEntry& entry : list_matching(folder + std::string(pattern)))
            if (entry.size == 0) delete_file(folder + entry.name);
    }
}

void process_system_msg() {
    const FilePtr system = open_file(install::system_message_file, "r");
    if (!system) return;
    const FilePtr messages = open_file(install::message_file, "a");
    if (!messages) return;
    std::string line;
    bool line_ended = true;
    while (read_line(system.get(), line, system_message_line)) {
        std::fputs(line.c_str(), messages.get());
        line_ended = !line.empty() && line.back() == '\n';
    }
    // A last line without its line end would run into the updater's first message.
    if (!line_ended) std::fputc('\n', messages.get());
}

int create_merge(const PostdownloadSteps& steps) {
    steps.run_command("ATTRIB -R " + std::string(install::merge_batch));
    WorkFile work(install::merge_batch_work_file, install::merge_batch);
    if (!work.is_open()) return -1;
    for (const std::string_view line : merge_batch_lines) {
        std::fwrite(line.data(), 1, line.size(), work.file());
        std::fputc('\n', work.file());
    }
    return work.commit() ? 0 : -1;
}

void crash_merge(const PostdownloadSteps& steps) {
    if (create_merge(steps) == 0) steps.replace_by_batch(install::merge_batch);
    throw ProgramEnd{};
}

void run_postdownload(const PostdownloadSteps& steps) {
    start_up();
    delete_file(install::update_log);
    delete_file(install::hand_over_batch);
    delete_zero_files();
    load_ini(steps);
    check_holidays(steps);
    delete_file(install::symbols_file);
    process_system_msg();
    steps.run_command(merge_command);
}

}  // namespace qv::postdownload
