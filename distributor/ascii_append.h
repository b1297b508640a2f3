#pragma once

// Carrying an update file's contracts into the user's ASCII files, one file
// per contract named by the ASCII MASK.

#include <string>

#include "distributor/distribution.h"

namespace qv::distributor {

// Appends, merges or creates the ASCII file of every contract the update file
// holds. 0 when the file was read to its end (single contracts may have been
// passed over with a warning), -1 when it cannot be opened.
int append_ascii_updates(const std::string& update_path, Distribution& run);

}  // namespace qv::distributor
