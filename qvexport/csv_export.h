#pragma once

// The database as CSV files, one per commodity and database kind, in a folder:
// <tag>_clc.csv, <tag>_cot.csv and <tag>_idx.csv (W__clc.csv for W_). Each has
// a header line and ISO dates, so that data-analysis tools and spreadsheets
// open it as it is. Prices are written with the commodity's decimals, exactly
// as stored. Each file is replaced through a work file.

#include <string>
#include <vector>

#include "common/tables.h"

namespace qv::qvexport {

// The number of files written; problems (a database file that cannot be read,
// a CSV file that cannot be written) are added to `problems`.
int export_csv(const std::string& folder, const std::vector<const Commodity*>& selected,
               std::vector<std::string>& problems);

}  // namespace qv::qvexport
