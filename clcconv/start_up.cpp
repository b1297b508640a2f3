#include "clcconv/start_up.h"

#include "common/tool.h"

namespace qv::clcconv {

StartUp start_up() {
    StartUp loaded;
    loaded.commodities = load_tables(clcconv_profile.tables);
    return loaded;
}

}  // namespace qv::clcconv
