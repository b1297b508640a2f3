#pragma once

// The two rollover reports: ROLLSHOW.TXT, tab-separated for display, and
// ROLLPRNT.TXT for printing. Each lists every commodity in tag order with its
// active contract, the calendar and trading days to its roll, the roll date,
// the next contract and the contract months it follows; a commodity rolling
// today is marked with "*" and explained once at the end.

#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/tables.h"
#include "roll/roll_status.h"

namespace qv::roll {

struct RollLine {
    const Commodity* commodity = nullptr;
    RollStatus status;
};

// The commodities in report order: by tag, first character then second;
// rows with equal tags keep their table order.
std::vector<const Commodity*> report_order(const CommodityTable& commodities);

// "N/A" for month 0, else "JAN" to "DEC".
std::string_view month_name(int month);

// The contract months a commodity follows, from its all_tag (January's code,
// then each later code greater than the last one kept), with the active code
// in angle brackets where it falls in the year: HK<N>UZ.
std::string contracts_followed(const Commodity& commodity, char active_code);

std::string rollshow_text(const std::vector<RollLine>& lines);
std::string rollprnt_text(const std::vector<RollLine>& lines, const Date& today);

}  // namespace qv::roll
