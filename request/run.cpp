#include "request/run.h"

#include <cstdio>
#include <optional>

#include "common/files.h"
#include "common/messages.h"
#include "common/program_end.h"
#include "common/settings.h"
#include "common/text.h"
#include "common/tool.h"
#include "common/work_file.h"
#include "request/determine_dfiles.h"
#include "request/last_dates.h"
#include "request/needfil2.h"
#include "request/start_up.h"

namespace qv::request {

namespace {

constexpr const char* position_path = "\\QUORVANT\\MAIL\\POSITION.QVT";
constexpr const char* position_work_path = "\\QUORVANT\\MAIL\\POSITION.TMP";

// What the previous run of the daily chain leaves behind.
void delete_previous_run() {
    for (const char* path : {"\\QUORVANT\\NEEDFIL2.TXT", "\\QUORVANT\\QUORUP.MSG", "\\QUORVANT\\SYSTEM.MSG",
                             "\\QUORVANT\\TEMPZIP.BAT", "\\QUORVANT\\QUORUP.ERR"})
        delete_file(path);
}

std::string update_folder(const Settings& settings) {
    return settings.update_directory.empty() ? "\\QUORVANT\\UPDATES\\" : settings.update_directory;
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
    for (const char* pattern : {"\\QUORVANT\\UPDATES\\D*.*", "\\QUORVANT\\UPDATES\\E*.*"})
        for (const FolderEntry& entry : list_matching(pattern))
            if (entry.size == 0) delete_file("\\QUORVANT\\UPDATES\\" + entry.name);
}

void create_position_file(DayNumber day) {
    if (file_exists(position_path)) return;
    const std::string text = format("%u\n%u\n", unsigned(day), unsigned(day));
    WorkFile work(position_work_path, position_path);
    if (work.is_open()) std::fwrite(text.data(), 1, text.size(), work.file());
    if (!work.commit() || !make_read_only(position_path))
        fatal_error(request_profile, " ERROR, could not create the file \\QUORVANT\\MAIL\\POSITION.QVT");
}

void get_old_received(RequestList& list, const std::string& update_folder) {
    for (const char* pattern : {"?U??????.COT", "?U??????.CLC", "?U??????.IDX", "EU??????.CLC"})
        for (const FolderEntry& entry : list_matching(update_folder + pattern))
            if (!list.holds(entry.name)) list.add({waiting, entry.name, no_date});
}

void run_request() {
    delete_previous_run();
    const bool clc_database = !list_matching("\\QUORVANT\\CLC\\*.QVT").empty();
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
