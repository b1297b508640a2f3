#pragma once

// Appending the contracts of a distributor update file (EUyymmdd.CLC) to the
// user's MetaStock securities, one security per contract, named by the user's
// META MASK.

#include <string>

#include "distributor/distribution.h"

namespace qv::distributor {

// Brings every contract of the update file into its MetaStock security:
// days are appended, replaced or inserted in date order, a line without
// prices deletes its day. 0 when the file was read to its end (single
// contracts may have been skipped with a warning); -1 when the update file
// cannot be opened or the run must stop (bad mask, folder in use or full, no
// free file number), so that the update file stays pending.
int append_meta_updates(const std::string& update_path, Distribution& run);

}  // namespace qv::distributor
