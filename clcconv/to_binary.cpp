#include "clcconv/clcconv.h"

#include "common/calendar.h"
#include "common/clc_price.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"

#include <cstdio>

namespace qv::clcconv {

namespace {

// Longest ASCII line read; a longer one is a reading error.
constexpr std::size_t max_line_chars = 511;

bool all_digits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

int digits_value(std::string_view text) {
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// get_any_date: the first eight characters as YYYYMMDD. 00000000 is the
// roll-over record's day 0; anything else must be a date that has a day number.
std::optional<DayNumber> get_any_date(std::string_view text, Date& date) {
    if (text.size() < 8 || !all_digits(text.substr(0, 8))) return std::nullopt;
    date = {digits_value(text.substr(0, 4)), digits_value(text.substr(4, 2)), digits_value(text.substr(6, 2))};
    if (date == Date{}) return DayNumber{0};
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 || date.year < 1900 ||
        date.year > 2079)
        return std::nullopt;
    const DayNumber day = date_to_lotus(date);
    if (day == no_date || lotus_to_date(day) != date) return std::nullopt;
    return day;
}

[[noreturn]] void loss_of_data(std::int64_t value) {
    console().print("\nERROR-loss of data in long_to_tri sub, lx = %ld", static_cast<long>(value));
    throw ProgramEnd{};
}

}  // namespace

std::optional<AsciiRecord> read_ascii_line(std::string_view line, int precision) {
    AsciiRecord result;
    const std::optional<DayNumber> day = get_any_date(line, result.date);
    if (!day) return std::nullopt;
    result.day = *day;
    std::size_t pos = 8;
    for (std::int64_t& price : result.prices) {
        const std::string_view token = next_price_token(line, pos);
        if (token.empty()) return std::nullopt;
        price = update_number_to_stored(token, precision);  // convert_to_whole
    }
    for (std::int64_t& count : result.counts)
        if (!read_whole_number(line, pos, count)) return std::nullopt;
    if (pos != line.size()) return std::nullopt;  // the last count ends the line
    return result;
}

ClcRecord clc_record(const AsciiRecord& ascii) {
    ClcRecord record;
    record.day = ascii.day;
    record.open = static_cast<std::int32_t>(ascii.prices[0]);
    record.high = static_cast<std::int32_t>(ascii.prices[1]);
    record.low = static_cast<std::int32_t>(ascii.prices[2]);
    record.close = static_cast<std::int32_t>(ascii.prices[3]);
    record.open_interest = static_cast<std::uint32_t>(ascii.counts[0]);
    record.total_volume = static_cast<std::uint32_t>(ascii.counts[1]);
    record.total_open_interest = static_cast<std::uint32_t>(ascii.counts[2]);
    return record;
}

void convert_to_binary(const CommodityTable& table, const std::vector<bool>& selected) {
    Console& out = console();
    if (!folder_exists(temp_folder)) {
        out.write("\n\n\n     ERROR - \\QUORVANT\\CLC\\TEMP DIRECTORY NOT FOUND??\n\n\n");
        return;
    }

    std::string line;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (row >= selected.size() || !selected[row]) continue;
        if (out.key_waiting()) return;
        const Commodity& commodity = table[row];
        const char* tag = commodity.tag.c_str();
        out.print("\nConverting %s_CLC.ASC to binary format - ", tag);
        out.print("\\QUORVANT\\CLC\\TEMP\\%s_CLC.BIN", tag);

        const std::string input_path = temp_file(commodity.tag, ".ASC");
        FilePtr input = open_file(input_path, "r");
        if (!input) {
            out.print("\nERROR-couldn't open input file %s", input_path.c_str());
            continue;
        }
        const std::string output_path = temp_file(commodity.tag, ".BIN");
        ClcWriter writer;
        if (!writer.create(output_path, make_clc_header(commodity.tag, commodity.precision, commodity.bytes))) {
            out.print("\nERROR-couldn't open output file %s", output_path.c_str());
            continue;
        }
        UnfinishedFile unfinished(output_path);

        bool first = true;
        while (read_line(input.get(), line, max_line_chars)) {
            // The last line of a file may end without a line feed.
            const bool whole = !line.empty() && line.back() == '\n';
            if (whole) line.pop_back();
            std::optional<AsciiRecord> ascii;
            if (whole || std::feof(input.get())) ascii = read_ascii_line(line, commodity.precision);
            if (!ascii) {
                out.write("\nERROR-while reading input record");
                throw ProgramEnd{};
            }
            const bool zero_price = ascii->prices[0] == 0 || ascii->prices[1] == 0 ||
                                    ascii->prices[2] == 0 || ascii->prices[3] == 0;
            if (ascii->day != 0 && zero_price)
                out.print("\nZero price found in %s, date = %d/%d/%d,", tag, ascii->date.month,
                          ascii->date.day, ascii->date.year);
            if (first && ascii->day == 0) {
                out.print("\nFound zero record at start of %s file and stripped it.", tag);
                first = false;
                continue;
            }
            first = false;

            for (std::int64_t price : ascii->prices)
                if (!fits_price_width(price, commodity.bytes)) loss_of_data(price);
            for (std::int64_t count : ascii->counts)
                if (!fits_in_tri(count)) loss_of_data(count);
            writer.write(clc_record(*ascii));
        }
        if (!writer.finish()) {
            out.print("\nERROR-couldn't write output file %s", output_path.c_str());
            throw ProgramEnd{};
        }
        unfinished.finished();
        out.write(" - Done!");
    }
}

}  // namespace qv::clcconv
