#include "favorites/favourite_list.h"

#include "common/output_mask.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/tables.h"

namespace qv::favorites {

namespace {

// Lines of a list file are read through a buffer of this many characters; the
// rest of a longer line is its comment.
constexpr std::size_t list_line_length = 80;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<Favourite> parse_favourite(std::string_view line) {
    if (line.size() < 7) return std::nullopt;
    const std::string head = to_upper(line.substr(0, 7));
    const bool tag_ok = head[0] >= 'A' && head[0] <= 'Z';
    const bool year_ok = is_digit(head[2]) && is_digit(head[3]) && is_digit(head[4]) && is_digit(head[5]);
    if (!tag_ok || !year_ok || month_codes.find(head[6]) == std::string_view::npos) return std::nullopt;
    return Favourite{head.substr(0, 2), head.substr(2, 4), head[6]};
}

std::vector<std::string> read_favourite_lines(std::string_view list_file) {
    std::vector<std::string> lines;
    const FilePtr file = open_file(list_file, "r");
    if (!file) return lines;
    std::string line;
    int headings = 2;
    bool at_line_start = true;
    while (read_line(file.get(), line, list_line_length)) {
        const bool ends = !line.empty() && line.back() == '\n';
        // Only the line end is dropped: a last line without one keeps its
        // last character.
        if (ends) line.pop_back();
        if (at_line_start) {
            if (headings > 0)
                --headings;
            else
                lines.push_back(line);
        }
        at_line_start = ends;
    }
    return lines;
}

std::string determine_name(const Favourite& favourite, std::string_view mask) {
    // The distributor names a contract from its update line: tag, a blank,
    // the year's last two digits and the month code.
    const std::string contract = favourite.tag + " " + favourite.year.substr(2, 2) + favourite.month_code;
    std::string problem;
    std::string name = mask_name(to_upper(mask), contract, problem);
    return problem.empty() ? name : std::string();
}

}  // namespace qv::favorites
