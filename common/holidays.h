#pragma once

// The exchange holidays of HOLIDAYS.QVT. The tools that need them load them
// once at start-up, each with its own bound, folder and way of reporting a
// bad file; the calendar's steps to the next trading or output day then ask
// the table which days are holidays.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/tool.h"

namespace qv {

// The exchange holidays of HOLIDAYS.QVT as day numbers, in file order (the file
// lists them in ascending order).
class HolidayTable {
public:
    HolidayTable() = default;
    explicit HolidayTable(std::vector<DayNumber> days)
        : days_(std::move(days)), ascending_(std::is_sorted(days_.begin(), days_.end())) {}

    std::size_t size() const { return days_.size(); }
    bool empty() const { return days_.empty(); }
    DayNumber operator[](std::size_t i) const { return days_[i]; }
    auto begin() const { return days_.begin(); }
    auto end() const { return days_.end(); }
    const std::vector<DayNumber>& days() const { return days_; }
    // The last holiday of the file; 0 for an empty table.
    DayNumber last() const { return days_.empty() ? no_date : days_.back(); }

    // Searched by halves when the file lists its holidays in ascending order,
    // as it should; a file out of order is searched through.
    bool contains(DayNumber day) const;

private:
    std::vector<DayNumber> days_;
    bool ascending_ = true;
};

// How a tool shows a warning or fault of the holiday file (the distributor's
// warning screen, the post-download processing's notice); without one the text
// is printed. A fault still ends the program afterwards.
using HolidayWarning = std::function<void(std::string_view)>;

// Reads HOLIDAYS.QVT with the tool's bound and behaviour. Errors are printed on
// the console and end the program (throw ProgramEnd), except where the tool's
// rules make them warnings. Afterwards a note tells when the file has expired or
// ends within 60 days of today.
HolidayTable load_holidays(const HolidayRules& rules, const HolidayWarning& show_warning = {});

}  // namespace qv
