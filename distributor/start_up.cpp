#include "distributor/start_up.h"

#include "common/text.h"
#include "common/tool.h"

namespace qv::distributor {

StartUp start_up() {
    show_start_screen(format("DFANOUT PROGRAM, VERSION %s", version));
    StartUp loaded;
    loaded.commodities = load_tables(distributor_profile.tables);
    loaded.holidays = load_holidays(distributor_profile.holidays);
    return loaded;
}

}  // namespace qv::distributor
