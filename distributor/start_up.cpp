#include "distributor/start_up.h"

#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::distributor {

StartUp start_up() {
    show_start_screen(format("DFANOUT PROGRAM, VERSION %s", version));
    StartUp loaded;
    loaded.commodities = load_tables(distributor_profile.tables);
    // The distributor only warns about the holiday file, on its warning screen.
    loaded.holidays = load_holidays(distributor_profile.holidays,
                                    [](std::string_view text) { message(distributor_profile, text); });
    return loaded;
}

}  // namespace qv::distributor
