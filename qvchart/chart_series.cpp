#include "qvchart/chart_series.h"

#include <cstdlib>

#include "common/clc_file.h"
#include "common/clc_price.h"
#include "common/platform/files.h"

namespace qv::qvchart {

namespace {

bool is_separator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::vector<std::string> split_fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && is_separator(line[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && !is_separator(line[pos])) ++pos;
        if (pos > start) fields.emplace_back(line.substr(start, pos - start));
    }
    return fields;
}

std::optional<DayNumber> read_day(std::string text) {
    if (!text.empty() && text.front() == '"') text.erase(0, 1);
    if (!text.empty() && text.back() == '"') text.pop_back();
    // Only digits, and the slashes of MM/DD/YYYY: a heading is no date.
    if (text.empty() || text.find_first_not_of("0123456789/") != std::string::npos) return std::nullopt;
    const auto date = read_output_date(text, text.find('/') != std::string::npos ? '1' : '3');
    if (!date) return std::nullopt;
    const DayNumber day = date_to_lotus(*date);
    return day == no_date ? std::nullopt : std::optional<DayNumber>(day);
}

std::optional<double> read_number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

// A contract month of field 8: 100 x year + month.
bool is_contract_month(double value) {
    const long whole = static_cast<long>(value);
    return whole == value && whole >= 190001 && whole <= 209912 && whole % 100 >= 1 && whole % 100 <= 12;
}

}  // namespace

std::optional<Chart> read_built_output(const std::string& path, std::string& error) {
    const FilePtr file = open_file(path, "rb");
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    Chart chart;
    chart.title = path;
    PriceSeries series;
    series.label = "close";
    std::vector<std::vector<double>> rows;
    std::string line;
    while (read_line(file.get(), line, 1 << 16)) {
        const std::vector<std::string> fields = split_fields(line);
        if (fields.size() < 2) continue;
        const auto day = read_day(fields[0]);
        if (!day) continue;  // the heading line, or a line that is not a day
        std::vector<double> values;
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const auto value = read_number(fields[i]);
            values.push_back(value.value_or(0));
        }
        Bar bar{*day, values[0], values[0], values[0], values[0]};
        if (values.size() >= 4) bar = {*day, values[0], values[1], values[2], values[3]};
        series.bars.push_back(bar);
        rows.push_back(values);
    }
    if (series.bars.empty()) {
        error = path + " holds no line with a date and a value";
        return std::nullopt;
    }
    series.has_bars = !rows.empty() && rows.front().size() >= 4;
    if (series.has_bars) series.label = "open, high, low, close";
    // A column that holds contract months throughout marks the rolls.
    const std::size_t columns = rows.front().size();
    for (std::size_t column = 0; column < columns; ++column) {
        bool months = true;
        for (const auto& row : rows) months = months && column < row.size() && is_contract_month(row[column]);
        if (!months) continue;
        for (std::size_t i = 1; i < rows.size(); ++i)
            if (rows[i][column] != rows[i - 1][column]) chart.roll_days.push_back(series.bars[i].day);
        break;
    }
    chart.series.push_back(std::move(series));
    return chart;
}

std::optional<Chart> read_clc_chart(const Commodity& commodity, std::string& error) {
    const std::string path = clc_file_name(commodity.tag);
    ClcReader reader;
    if (reader.open(path) != ClcReader::Status::ok) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    Chart chart;
    chart.title = commodity.name;
    while (!chart.title.empty() && chart.title.back() == ' ') chart.title.pop_back();
    PriceSeries stored{"as stored (front contract)", {}, true};
    std::vector<double> gaps;  // the gap of the roll before each day, 0 for none
    double pending_gap = 0;
    bool roll_pending = false;
    ClcRecord record;
    while (reader.read(record)) {
        if (record.is_roll_over()) {
            pending_gap = stored_to_price(std::int64_t(record.close) - record.open, commodity.precision);
            roll_pending = true;
            continue;
        }
        auto price = [&](std::int32_t value) { return stored_to_price(value, commodity.precision); };
        stored.bars.push_back({record.day, price(record.open), price(record.high), price(record.low), price(record.close)});
        gaps.push_back(roll_pending ? pending_gap : 0);
        if (roll_pending) chart.roll_days.push_back(record.day);
        roll_pending = false;
    }
    if (stored.bars.empty()) {
        error = path + " holds no day";
        return std::nullopt;
    }
    // Back adjustment: every day before a roll is moved by the roll's gap, so
    // the series runs on without the jump; the last contract stays as it is.
    PriceSeries adjusted{"back-adjusted", stored.bars, false};
    double shift = 0;
    for (std::size_t i = adjusted.bars.size(); i-- > 0;) {
        Bar& bar = adjusted.bars[i];
        bar.open += shift;
        bar.high += shift;
        bar.low += shift;
        bar.close += shift;
        shift += gaps[i];
    }
    chart.series.push_back(std::move(stored));
    chart.series.push_back(std::move(adjusted));
    return chart;
}

}  // namespace qv::qvchart
