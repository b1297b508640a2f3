#pragma once

// \QUORVANT\BCAST.TXT: the build files that the updater's broadcast runs
// again after each update, one name a line. A build file the builder has run
// becomes such an autobuild output, except the updater's own relinking list
// ($ROLL) and COT builds, whose weekly reports the broadcast does not carry.

#include <string_view>

namespace qv::builder {

// Appends `build_file` to BCAST.TXT (made when missing) unless its name holds
// "COT" or "$ROLL" in any case, or a line of the list already names it
// (case ignored). A list that cannot be written gives "ERROR-CAN'T OPEN
// 'BCAST' FILE, BYPASSING".
void record_in_broadcast_list(std::string_view build_file);

}  // namespace qv::builder
