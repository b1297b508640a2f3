#include "request/run.h"

#include <cstdio>
#include <optional>

#include "common/platform/files.h"
#include "common/install_files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/settings.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/platform/work_file.h"
#include "request/determine_dfiles.h"
#include "request/last_dates.h"
#include "request/needfil2.h"
#include "request/start_up.h"

namespace qv::request {

namespace {

// What the previous run of the daily chain leaves behind.
void delete_previous_run() {
    for (std::string_view path : {install::request_file, install::message_file, install::system_message_file,
                                  install::hand_over_batch, install::error_file})
        delete_file(path);
}

std::string update_folder(const Settings& settings) {
    return settings.update_directory.empty() ? std::string(install::updates_folder) : settings.update_directory;
}

RequestState request_state(const Settings& settings, bool clc_database, DayNumber day) {
    RequestState state;
    state.today = day;
    state.newest_cot = get_last_cot_date();
    state.newest_clc = get_last_clc_date();
    state.newest_idx = get_last_idx_date();
    state.clc_database = clc_database;
    state.eu_last_date = settings.eu_last_date;
    state.extended_contracts = settings.extended_contracts != 0 && settings.extended_contracts != 'N';
    return state;
}

}  // namespace

void delete_zero_files() {
    const std::string folder(install::updates_folder);
    for (const char* pattern : {"D*.*", "E*.*"})
        for (const FolderEntry& entry : list_matching(folder + pattern))
            if (entry.size == 0) delete_file(folder + entry.name);
}

void create_position_file(DayNumber day) {
    if (file_exists(install::position_file)) return;
    const std::string text = format("%u\n%u\n", unsigned(day), unsigned(day));
    WorkFile work(install::position_work_file, install::position_file);
    if (work.is_open()) std::fwrite(text.data(), 1, text.size(), work.file());
    if (!work.commit() || !make_read_only(install::position_file))
        fatal_error(request_profile, " ERROR, could not create the file \\QUORVANT\\MAIL\\POSITION.QVT");
}

void get_old_received(RequestList& list, const std::string& update_folder) {
    for (const char* pattern : {"?U??????.COT", "?U??????.CLC", "?U??????.IDX", "EU??????.CLC"})
        for (const FolderEntry& entry : list_matching(update_folder + pattern))
            if (!list.holds(entry.name)) list.add({waiting, entry.name, no_date});
}

void run_request() {
    delete_previous_run();
    const bool clc_database = !list_matching(std::string(install::clc_folder) + "*.QVT").empty();
    delete_zero_files();
    start_up();
    const DayNumber day = today();
    create_position_file(day);
    const std::optional<Settings> settings = load_settings(request_profile, request_settings);
    if (!settings) throw ProgramEnd{};
    const RequestState state = request_state(*settings, clc_database, day);
    RequestList list;
    get_old_received(list, update_folder(*settings));
    determine_dfiles(list, state);
    create_needfil2(list, *settings);
}

}  // namespace qv::request
