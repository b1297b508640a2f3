#pragma once

// The favourites builder's main flow: the ASCII favourites of FAVOR.ASC are
// copied into the FAVORITE folder beside the user's ASCII files, the MetaStock
// favourites of FAVOR.MS into a MetaStock folder FAVORITE beside the user's
// MetaStock folders.

#include <string>

#include "common/settings.h"
#include "common/tables.h"

namespace qv::favorites {

// Copies the ASCII favourites; the favourites folder is prepared unless it is
// `prepared` already.
void ascii_favourites(const Settings& settings, const CommodityTable& commodities, std::string& prepared);

// Copies the MetaStock favourites and writes their MASTER.
void meta_favourites(const Settings& settings, const CommodityTable& commodities, std::string& prepared);

// The whole run from the start screen to the end of the program.
void run_favorites();

}  // namespace qv::favorites
