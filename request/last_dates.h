#pragma once

// The newest day each database holds, read from one file of each kind. A
// database that is missing or cannot be read holds no day (no_date), so that
// the request starts it afresh.

#include "common/calendar.h"

namespace qv::request {

// The last record of the first of W__CLC.QVT, BP_CLC.QVT and SP_CLC.QVT in
// \QUORVANT\CLC\ that exists.
DayNumber get_last_clc_date();

// The last report of the first of W__COT.QVT, BP_COT.QVT and SP_COT.QVT in
// \QUORVANT\COT\ that exists, counted only after 14 January 1986.
DayNumber get_last_cot_date();

// The last line of one IDX file: the first in \QUORVANT\IDX\ whose name begins
// with neither M, Q nor W, else the last one listed.
DayNumber get_last_idx_date();

}  // namespace qv::request
