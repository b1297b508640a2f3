#include "updater/output_rows.h"

#include <cmath>

#include "common/platform/text.h"

namespace qv {

namespace {

int decimals_of(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos) return 0;
    int decimals = 0;
    for (std::size_t i = point + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++decimals;
    return decimals;
}

std::string fixed(double value, int decimals) { return format("%.*f", decimals, value); }

}  // namespace

std::string ascii_value_text(std::string_view old_text, double value, bool has_operator) {
    const int old_decimals = std::min(decimals_of(old_text), 7);
    if (!has_operator) return fixed(value, old_decimals);
    if (value == std::floor(value)) return fixed(value, 0);
    return fixed(value, old_decimals >= 3 ? old_decimals : 2);
}

bool append_rows_up_to(std::vector<OutputRow>& rows, DayNumber day, const BuildSettings& settings,
                       const HolidayTable& holidays) {
    if (rows.empty()) return false;
    const bool fill_days = settings.sampling_period == 'D' &&
                           (settings.include_holidays == 'Y' || settings.include_holidays == 'A');
    // The update's row starts as a copy of the last row with data, not of a
    // holiday row of zeros put in before it.
    const OutputRow last_with_data = rows.back();
    while (rows.back().day < day) {
        OutputRow row = last_with_data;
        row.date_text.clear();
        row.changed = true;
        const DayNumber next = fill_days ? next_output_day(rows.back().day, settings.include_holidays, holidays) : day;
        if (next != no_date && next < day) {
            row.day = next;
            if (settings.value_of_included_holiday != 'P')
                for (std::string& value : row.values) value = settings.value_of_included_holiday == 'Z' ? "0" : "-1";
        } else {
            row.day = day;
        }
        rows.push_back(std::move(row));
    }
    return true;
}

void write_field(std::vector<OutputRow>& rows, const FieldWrite& write, const BuildSettings& settings,
                 const ValueFormat& format) {
    if (write.column < 1) return;
    const std::size_t column = static_cast<std::size_t>(write.column - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].day != write.day) continue;
        std::size_t last = i;
        if (settings.value_of_included_holiday == 'P')
            while (last + 1 < rows.size() && rows[last + 1].day < write.repeated_until) ++last;
        for (std::size_t k = i; k <= last; ++k) {
            OutputRow& row = rows[k];
            if (column >= row.values.size()) continue;
            const std::string text = format(row.values[column], write.value, write.has_operator);
            if (text != row.values[column]) {
                row.values[column] = text;
                row.changed = true;
            }
        }
        return;
    }
}

}  // namespace qv
