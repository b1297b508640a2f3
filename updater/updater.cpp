#include "updater/updater.h"

#include "common/messages.h"

namespace qv::updater {

void UpdaterState::reset_commodity_states() {
    rebuild_state.assign(tables.size(), rebuild_nothing);
    several_days.assign(tables.size(), false);
}

void updater_message(std::string_view text) { message(updater_profile, text); }

}  // namespace qv::updater
