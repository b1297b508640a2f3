#include "common/contract_name.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "common/platform/text.h"
#include "common/tables.h"

namespace qv {

namespace {

// The last `mark` of the file name part of `name` (after its last backslash or
// colon).
std::optional<std::size_t> last_mark(const std::string& name, char mark) {
    for (std::size_t i = name.size(); i-- > 0;) {
        const char c = name[i];
        if (c == '\\' || c == ':') return std::nullopt;
        if (c == mark) return i;
    }
    return std::nullopt;
}

// How many `mark`s stand in a row ending at `end`, up to `most`.
std::size_t run_ending_at(const std::string& name, std::size_t end, char mark, std::size_t most) {
    std::size_t length = 0;
    while (length < most && length <= end && name[end - length] == mark) ++length;
    return length;
}

}  // namespace

bool has_contract_marks(const std::string& name, char month_mark, char year_mark) {
    return last_mark(name, month_mark) || last_mark(name, year_mark);
}

void put_contract_into_name(std::string& name, const Contract& contract, char month_mark, char year_mark) {
    // Each replacement is as long as the run it replaces, so the year's place
    // stays where it was found.
    if (const std::optional<std::size_t> month_at = last_mark(name, month_mark)) {
        const std::size_t run = run_ending_at(name, *month_at, month_mark, 3);
        std::string text;
        if (run == 3) text = month_names[static_cast<std::size_t>(contract.month - 1)];
        else if (run == 2) text = format("%02d", contract.month);
        else text = std::string(1, contract.code);
        name.replace(*month_at + 1 - run, run, text);
    }
    if (const std::optional<std::size_t> year_at = last_mark(name, year_mark)) {
        const std::size_t run = run_ending_at(name, *year_at, year_mark, 4);
        std::string text;
        if (run == 4) text = format("%04d", contract.year);
        else if (run >= 2) text = format("%02d", contract.year % 100);
        else text = format("%d", contract.year % 10);
        const std::size_t length = run == 4 ? 4 : std::min<std::size_t>(run, 2);
        name.replace(*year_at + 1 - length, length, text);
    }
}

}  // namespace qv
