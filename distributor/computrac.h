#pragma once

// The user's CompuTrac overrides, \QUORVANT\COMPUTRC: lines such as "BP = 4"
// that change the number of decimals a commodity's MetaStock column file
// (F%d.DOP) announces.

#include "common/tables.h"

namespace qv::distributor {

// Reads \QUORVANT\COMPUTRC once at start. Each line of more than two
// characters names a tag of the table, an "=" and a value 0 to 7, -7 to -1,
// 100 or 1000, which replaces that commodity's compu_trac value. The first bad
// line is shown as a warning and ends the reading; the values read before it
// stay. A missing file changes nothing.
void change_comptrac_array(CommodityTable& commodities);

inline constexpr const char* computrac_unknown_tag_message =
    "ERROR-unknown commodity tag in your COMPUTRC file,@example of format is BP = 4 or W_ = 2 ";
inline constexpr const char* computrac_no_equal_message = "ERROR-equal sign missing in your COMPUTRC file ";
inline constexpr const char* computrac_bad_value_message = "ERROR-you specified invalid COMPUTRC value = ";

}  // namespace qv::distributor
