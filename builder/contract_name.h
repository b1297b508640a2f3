#pragma once

// Output file names that carry the contract in force: the month and year
// substitution characters of the build settings ('&' and '%' unless
// LASTMAP.QVT says otherwise) stand for the month and year of the contract that
// the block's CLC series is in on its last day (or on the ending date, when
// that is earlier).
//
//   month: &&& -> "MAR", && -> "03", & -> "H"      year: %%%% -> "2014", %% -> "14", % -> "4"
//
// Only the last run of each character in the file name part (after the last
// backslash or colon) is replaced.

#include <string>
#include <vector>

#include "builder/series.h"

namespace qv::builder {

// Puts the contract into `output_name`. 0 when done (or nothing to do); 1 when
// the CLC file of the block cannot be opened (the name is made empty, so the
// output file is not built); -1 when the two substitution characters are equal
// (the message has been shown; this output file is skipped). `substituted`
// tells whether a month or a year was put in, so that the caller restores the
// pattern after the build.
int substitute_contract_into_name(std::string& output_name, const std::vector<std::string>& input_lines,
                                  const BuildContext& context, bool& substituted);

}  // namespace qv::builder
