#include "distributor/computrac.h"

#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/paths.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::distributor {

namespace {

// A line is read into a buffer of 50 characters, its line end included.
constexpr std::size_t computrac_line_chars = 49;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The value after the "=": a whole number with an optional sign and nothing
// after it. Text that is no number is refused rather than read as 0, which
// would quietly give the commodity no decimals.
std::optional<int> whole_number(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size() || text.size() - i > 5) return std::nullopt;
    int value = 0;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (!std::isdigit(static_cast<unsigned char>(text[j]))) return std::nullopt;
        value = value * 10 + (text[j] - '0');
    }
    return text[0] == '-' ? -value : value;
}

bool valid_computrac(int value) { return (value >= -7 && value <= 7) || value == 100 || value == 1000; }

}  // namespace

void change_comptrac_array(CommodityTable& commodities) {
    FilePtr file = open_file(install_file("COMPUTRC").string(), "r");
    if (!file) return;
    std::string line;
    while (read_line(file.get(), line, computrac_line_chars)) {
        const std::string text = to_upper(trimmed(line));
        if (text.size() <= 2) continue;
        const auto row = commodities.position_of(text);
        if (!row) {
            message(distributor_profile, computrac_unknown_tag_message);
            return;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            message(distributor_profile, computrac_no_equal_message);
            return;
        }
        const std::string_view value_text = trimmed(std::string_view(text).substr(equals + 1));
        const auto value = whole_number(value_text);
        if (!value || !valid_computrac(*value)) {
            // The warning screen shows a number after the text; a value that is
            // no number at all is shown as written.
            if (value)
                message(distributor_profile, computrac_bad_value_message, *value);
            else
                message(distributor_profile,
                        std::string(computrac_bad_value_message) + std::string(value_text));
            return;
        }
        commodities[*row].compu_trac = static_cast<std::int16_t>(*value);
    }
}

}  // namespace qv::distributor
