#include "updater/run.h"

#include <string>

#include "common/calendar.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/settings.h"
#include "common/start_up.h"
#include "updater/broadcast.h"
#include "updater/bulletins.h"
#include "updater/follow_up.h"
#include "updater/merge_kinds.h"
#include "updater/start_up.h"

namespace qv::updater {

void run_updater(const BatchRunner& run_batch) { run_updater(run_batch, merge_update_file); }

void run_updater(const BatchRunner& run_batch, const FileMerge& merge_file) {
    UpdaterState state;
    show_updater_screen();
    state.tables = load_tables(updater_profile.tables);
    load_build_map_defaults();
    delete_leftovers();
    state.pending_rebuild_list = read_pending_rebuild_list();
    state.written_rebuild_list = state.pending_rebuild_list;
    state.reset_commodity_states();
    state.today = today();
    delete_old_processed_files(state.today);

    // Without its settings the updater knows neither its update folder nor
    // its bulletin folder; the message is in the message file.
    const std::optional<Settings> settings = load_settings(updater_profile, updater_settings);
    if (!settings) throw ProgramEnd{};
    if (!settings->update_directory.empty()) state.update_directory = settings->update_directory;
    if (!settings->bulletin_directory.empty()) state.bulletin_directory = settings->bulletin_directory;

    normalise_update_names(state.update_directory);
    make_sure_folder_exists(state.update_directory);
    make_sure_folder_exists(state.bulletin_directory);
    fill_received_files(state);
    state.message_mode = true;
    state.holidays = load_holidays(updater_profile.holidays);
    prepare_broadcast(state);
    start_message_file(state.today);

    if (merge_updates(state, merge_file) == MergeOutcome::distributor_only) {
        run_follow_up_batch(state, run_batch);
        return;
    }
    show_bulletins(state);
    show_farewell();
    run_follow_up_batch(state, run_batch);
}

}  // namespace qv::updater
