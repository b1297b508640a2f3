#include "request/start_up.h"

#include "common/tool.h"

namespace qv::request {

StartUp start_up() {
    StartUp loaded;
    loaded.commodities = load_tables(request_profile.tables);
    return loaded;
}

}  // namespace qv::request
