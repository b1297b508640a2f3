#include "postdownload/start_up.h"

#include "common/tool.h"

namespace qv::postdownload {

StartUp start_up() {
    show_start_screen("POSTQUOR PROGRAM");
    StartUp loaded;
    loaded.commodities = load_tables(postdownload_profile.tables);
    return loaded;
}

}  // namespace qv::postdownload
