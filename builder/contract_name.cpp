#include "builder/contract_name.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "builder/clc_series.h"
#include "common/contract_name.h"
#include "common/contract_rule.h"
#include "common/messages.h"
#include "common/platform/text.h"

namespace qv::builder {

namespace {

// The day of a build setting date "MM/DD/YYYY"; nothing when it is not one.
std::optional<DayNumber> setting_day(std::string_view text) {
    std::array<int, 3> parts{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '/') return std::nullopt;
            ++pos;
        }
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 4) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (pos == start) return std::nullopt;
        parts[i] = value;
    }
    const int month = parts[0], day = parts[1], year = parts[2];
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1900 || year > 2079) return std::nullopt;
    return date_to_lotus(year, month, day);
}

}  // namespace

int substitute_contract_into_name(std::string& output_name, const std::vector<std::string>& input_lines,
                                  const BuildContext& context, bool& substituted) {
    substituted = false;
    const auto clc_line = std::find_if(input_lines.begin(), input_lines.end(), [](const std::string& line) {
        return to_upper(line).find("CLC") != std::string::npos;
    });
    if (clc_line == input_lines.end()) return 0;

    const char month_mark = context.settings.month_substitution;
    const char year_mark = context.settings.year_substitution;
    if (month_mark == year_mark) {
        message(builder_profile, "ERROR-month and year substitution characters@are the same, please change them.");
        return -1;
    }

    if (!has_contract_marks(output_name, month_mark, year_mark)) return 0;

    const Commodity* commodity = context.commodities.find_no_case(std::string_view(*clc_line).substr(0, 2));
    if (!commodity) {
        message(builder_profile,
                format("WARNING-no CLC input file specified@for output file %s?", output_name.c_str()));
        return 0;
    }
    const DayNumber last = last_clc_date(commodity->tag);
    if (last == no_date) {
        output_name.clear();
        return 1;
    }
    const DayNumber ending = setting_day(context.settings.ending_date).value_or(last);
    const Contract contract = contract_in_force(std::min(last, ending), *commodity);

    put_contract_into_name(output_name, contract, month_mark, year_mark);
    substituted = true;
    return 0;
}

}  // namespace qv::builder
