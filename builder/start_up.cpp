#include "builder/start_up.h"

#include <string>

#include "common/platform/console.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

StartUp start_up(std::string_view build_file) {
    show_start_screen(format("DFORGE PROGRAM, VERSION %s", version));
    Console& screen = console();
    screen.go_to(32, 8);
    screen.write("---WORKING ON---");
    screen.go_to(17, 11);
    screen.write("File Being Built:");
    screen.go_to(17, 14);
    screen.write("Location Of File:");
    screen.go_to(17, 17);
    screen.write("Format of Data:          ");
    screen.go_to(17, 20);
    screen.write("Year Processed:              ");
    if (to_upper(build_file).find("$ROLL") != std::string::npos) {
        screen.go_to(1, 25);
        screen.write("NOTE:    has rolled over and is being relinked");
    }
    StartUp loaded;
    loaded.commodities = load_tables(builder_profile.tables);
    loaded.holidays = load_holidays(builder_profile.holidays);
    return loaded;
}

}  // namespace qv::builder
