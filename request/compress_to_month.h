#pragma once

#include "request/request_list.h"

namespace qv::request {

// Replaces the requests for a whole month of one kind by the month file.
//
// A month of daily files (DU of CLC and IDX, EU) is whole when the list asks
// for every weekday of it, first to last, and also holds a file of the same
// kind for the month after it: the vendor makes a month file once the month
// is over. A month of COT reports (DU of COT) is whole when the list asks for
// every report Tuesday of it. The first request of the month then becomes
// MUyymm00.EXT (EXyymm00.CLC for EU files) and the others are removed; the
// second and third COT files, SM and SX, are never merged.
void compress_to_month(RequestList& list);

}  // namespace qv::request
