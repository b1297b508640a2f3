#pragma once

// Lines of the user's ASCII files and the update lines they are made from.
//
// A distributor update line: characters 1-6 the contract key (tag, blank,
// two-digit contract year, month code), 7-12 the trading date YYMMDD, 13 a
// blank, then blank-separated numbers: open, high, low, close, the contract's
// open interest, the volume and the total open interest. The key and date
// alone ask for that day to be deleted.
//
// An ASCII line: the date in the user's date style, then open, high, low,
// close and (unless left out) volume and open interest, separated by blanks,
// tabs or commas as DATA FORMAT says.

#include <optional>
#include <string>
#include <string_view>

#include "common/calendar.h"
#include "distributor/distribution.h"

namespace qv::distributor {

// An update line shorter than this (without its line end) holds no prices: it
// deletes its day.
inline constexpr std::size_t deletion_line_length = 19;

// The day of an update line's trading date (a two-digit year from 30 on is
// 19YY, else 20YY); 0 when characters 7 to 12 are not a date.
DayNumber update_line_day(std::string_view line);

// The update line with the prices scaled by the commodity's multiplier and the
// volume and open interest the option asks for ('C' the contract's open
// interest, 'T' the total, 'N' neither; others as 'C'), blank-separated after
// the line's first 13 characters. Nothing when the line lacks a field it needs.
std::optional<std::string> reformat_update_line(std::string_view line, double multiplier, char option);

// The ASCII line of a reformatted update line in the user's date style and
// separator.
std::string ascii_line_text(std::string_view reformatted, const DistributorSettings& settings);

// The day of an ASCII line read back by its date style; 0 when the date does
// not read there.
DayNumber ascii_line_day(std::string_view line, char date_style);

// The older line takes the newer one's volume and open interest: everything
// from its second-to-last number on is the newer line's from its
// second-to-last number on. Nothing happens when the option leaves both out.
void copy_volume_oi(std::string& older, std::string_view newer, const DistributorSettings& settings);

}  // namespace qv::distributor
