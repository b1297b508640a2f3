#include "updater/start_up.h"

#include "common/text.h"
#include "common/tool.h"

namespace qv::updater {

StartUp start_up() {
    show_start_screen(format("QUORUP PROGRAM, VERSION %s", version));
    StartUp loaded;
    loaded.commodities = load_tables(updater_profile.tables);
    loaded.holidays = load_holidays(updater_profile.holidays);
    return loaded;
}

}  // namespace qv::updater
