#include "favorites/start_up.h"

#include "common/tool.h"

namespace qv::favorites {

StartUp start_up() {
    show_start_screen("MKPICKS PROGRAM");
    StartUp loaded;
    loaded.commodities = load_tables(favorites_profile.tables);
    return loaded;
}

}  // namespace qv::favorites
