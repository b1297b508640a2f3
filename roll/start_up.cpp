#include "roll/start_up.h"

#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::roll {

StartUp start_up() {
    show_start_screen(format("ROLL PROGRAM, VERSION %s", version));
    StartUp loaded;
    loaded.commodities = load_tables(roll_profile.tables);
    loaded.holidays = load_holidays(roll_profile.holidays);
    return loaded;
}

}  // namespace qv::roll
