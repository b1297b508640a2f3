#pragma once

// The user's favourites: \QUORVANT\FAVOR.ASC lists ASCII files and
// \QUORVANT\FAVOR.MS MetaStock securities, after two heading lines one
// favourite a line: the commodity tag, the contract year in four digits and
// the contract's month code (W_2005H); the rest of a line is a comment.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::favorites {

struct Favourite {
    std::string tag;      // W_
    std::string year;     // 2005
    char month_code = 0;  // H
};

// The favourite of a list line (upper-cased); nothing for a line that does not
// begin with a tag, four digits and a month code.
std::optional<Favourite> parse_favourite(std::string_view line);

// The favourite lines of a list file, heading lines left out; empty when the
// file is missing.
std::vector<std::string> read_favourite_lines(std::string_view list_file);

// The file or security name of a favourite, built by the same mask rules as
// the distributor that wrote the file; empty when the mask cannot name it (the
// distributor then wrote no such file either).
std::string determine_name(const Favourite& favourite, std::string_view mask);

}  // namespace qv::favorites
