// make_vendor_days FOLDER: writes the vendor's CLC update files for the weeks
// after the sample history ends (Friday 4 December 2020) into FOLDER/VENDOR,
// where the sample's download stand-in takes them from as the chain requests
// them (FOLDER holds TABLES.INI, HOLIDAYS.QVT and, when the history was made,
// the CLC database). For every trading day up to Friday 8 January 2021 there
// is a daily file DUyymmdd.CLC, with a bulletin on the first day and a
// roll-over line wherever the contract rule passes a commodity to its next
// contract, and the individual contracts of a few commodities for the
// distributor in EUyymmdd.CLC. Exchange holidays (Christmas, New Year) have no
// files. Some days have a system message of the vendor, SYyymmdd.MSG.
//
// The history file EU991231.CLC with the six weeks of individual contracts
// before the first day goes straight into FOLDER/UPDATES: the user installs it
// once, and the first run of the chain carries it into the user's files.
//
// Each commodity's prices go on from its last stored day, so the files are the
// same on every run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/contract_rule.h"
#include "common/holidays.h"
#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "common/platform/text.h"

namespace {

using namespace qv;

constexpr Date history_end{2020, 12, 4};  // used when there is no database yet
constexpr Date vendor_end{2021, 1, 8};

struct LastDay {
    DayNumber day = 0;
    ClcRecord record;
};

// The last dated record of a commodity's CLC file; nothing when it has none.
std::optional<LastDay> last_stored_day(const Commodity& row) {
    ClcReader reader;
    if (reader.open(clc_file_name(row.tag)) != ClcReader::Status::ok) return std::nullopt;
    LastDay last;
    ClcRecord record;
    while (reader.read(record))
        if (!record.is_roll_over()) last = {record.day, record};
    if (last.day == 0) return std::nullopt;
    return last;
}

DayNumber next_weekday_after(DayNumber day) {
    do ++day;
    while (weekday(day) == saturday || weekday(day) == sunday);
    return day;
}

// A stored price written as the vendor writes it: with the commodity's
// decimal places after a point, or as a whole number when it has none.
std::string price_text(std::int64_t stored, int precision) {
    if (precision <= 0) return format("%lld", static_cast<long long>(stored));
    const std::int64_t scale = static_cast<std::int64_t>(std::pow(10, precision));
    const std::int64_t magnitude = stored < 0 ? -stored : stored;
    return format("%s%lld.%0*lld", stored < 0 ? "-" : "", static_cast<long long>(magnitude / scale), precision,
                  static_cast<long long>(magnitude % scale));
}

// Keeps a price within what the commodity's price width can hold.
std::int64_t within_width(std::int64_t stored, int bytes) {
    const std::int64_t high = bytes == 2 ? 65535 : bytes == 3 ? 16777215 : 2000000000;
    return std::clamp<std::int64_t>(stored, 1, high);
}

std::string packed(DayNumber day) {
    const Date date = lotus_to_date(day);
    return format("%02d%02d%02d", date.year % 100, date.month, date.day);
}

struct Series {
    const Commodity* row;
    std::int64_t close;
    std::uint32_t open_interest;
    std::uint32_t volume;
    std::uint32_t total_open_interest;
};

// The update line of a commodity for a day; the prices move by a step that
// depends only on the commodity and the day.
std::string day_line(Series& s, DayNumber day) {
    const int bytes = s.row->bytes;
    const std::int64_t step = std::max<std::int64_t>(1, s.close / 200);
    const std::int64_t move = static_cast<std::int64_t>((day * 7 + s.row->tag[0] * 3 + s.row->tag[1]) % 5) - 2;
    const std::int64_t open = within_width(s.close, bytes);
    const std::int64_t close = within_width(s.close + move * step, bytes);
    const std::int64_t high = within_width(std::max(open, close) + step, bytes);
    const std::int64_t low = within_width(std::min(open, close) - step, bytes);
    s.close = close;
    s.open_interest = (s.open_interest + 37 * static_cast<std::uint32_t>(move + 3)) & tri_max;
    s.volume = (s.volume / 2 + 1000 + static_cast<std::uint32_t>(day % 997)) & tri_max;
    s.total_open_interest = (s.total_open_interest + 53) & tri_max;
    const int p = s.row->precision;
    return format("%s %s %s %s %s %s %u %u %u\n", s.row->tag.c_str(), packed(day).c_str(),
                  price_text(open, p).c_str(), price_text(high, p).c_str(), price_text(low, p).c_str(),
                  price_text(close, p).c_str(), s.open_interest, s.volume, s.total_open_interest);
}

// A roll-over line: the price of the contract left as open, the price of the
// contract entered (a little higher: carrying costs) as close.
std::string rollover_line(Series& s) {
    const std::int64_t left = within_width(s.close, s.row->bytes);
    const std::int64_t entered = within_width(s.close + std::max<std::int64_t>(1, s.close / 100), s.row->bytes);
    s.close = entered;
    const int p = s.row->precision;
    return format("%s 000000 %s %s %s %s 0 0 0\n", s.row->tag.c_str(), price_text(left, p).c_str(),
                  price_text(entered, p).c_str(), price_text(left, p).c_str(), price_text(entered, p).c_str());
}

void write_file(const std::filesystem::path& path, const std::string& text) {
    const FilePtr file = open_file(path.string(), "w");
    if (!file || std::fputs(text.c_str(), file.get()) < 0) throw std::runtime_error("cannot write " + path.string());
}

// The commodities whose individual contracts the sample vendor sends, and how
// many of each one's next contracts.
constexpr const char* contract_tags[] = {"W_", "S_", "SP", "BP", "JY"};
constexpr int contracts_per_commodity = 2;
constexpr int history_days = 30;
constexpr std::string_view month_codes = "FGHJKMNQUVXZ";

// The contract key of a line, "21H": the two-digit year and the month code of
// the contract, of the commodity's next contracts after the day.
std::vector<std::string> next_contracts(const Commodity& row, DayNumber day) {
    std::vector<std::string> keys;
    const Date date = lotus_to_date(day);
    for (int ahead = 1; ahead <= 24 && static_cast<int>(keys.size()) < contracts_per_commodity; ++ahead) {
        const int months = date.month - 1 + ahead;
        const char code = month_codes[months % 12];
        if (row.cycle.find(code) == std::string::npos) continue;
        keys.push_back(format("%02d%c", (date.year + months / 12) % 100, code));
    }
    return keys;
}

// A day line of the contract: the commodity's line with the contract key
// after the tag ("W_ 21H201207 ...").
std::string contract_line(Series& s, const std::string& key, DayNumber day) {
    const std::string line = day_line(s, day);
    return line.substr(0, 3) + key + line.substr(3);
}

// The individual contracts: the history file of the weeks before the first
// day, and one file for each day.
void write_contract_updates(const std::filesystem::path& updates, const std::filesystem::path& vendor,
                            const std::vector<Series>& start, DayNumber end, const std::vector<DayNumber>& days) {
    std::vector<DayNumber> history;
    DayNumber day = end;
    for (int i = 0; i < history_days; ++i) {
        history.insert(history.begin(), day);
        do --day;
        while (weekday(day) == saturday || weekday(day) == sunday);
    }

    std::string history_text = "EU991231.CLC\n";
    std::vector<std::string> day_texts;
    for (const DayNumber d : days) day_texts.push_back(format("EU%s.CLC\n", packed(d).c_str()));
    for (const char* tag : contract_tags) {
        const auto found = std::find_if(start.begin(), start.end(), [&](const Series& s) { return s.row->tag == tag; });
        if (found == start.end()) continue;
        const std::vector<std::string> keys = next_contracts(*found->row, days.front());
        for (std::size_t k = 0; k < keys.size(); ++k) {
            // A later contract trades a little higher: carrying costs.
            Series s = *found;
            s.close += static_cast<std::int64_t>(k) * std::max<std::int64_t>(1, s.close / 100);
            for (const DayNumber d : history) history_text += contract_line(s, keys[k], d);
            for (std::size_t i = 0; i < days.size(); ++i) day_texts[i] += contract_line(s, keys[k], days[i]);
        }
    }
    write_file(updates / "EU991231.CLC", history_text);
    for (std::size_t i = 0; i < days.size(); ++i)
        write_file(vendor / format("EU%s.CLC", packed(days[i]).c_str()), day_texts[i]);
}

// The vendor's system messages, which the download passes on as SYSTEM.MSG:
// on the first day, before an exchange holiday and at a month's end.
void write_system_messages(const std::filesystem::path& vendor, const std::vector<DayNumber>& days,
                           const HolidayTable& holidays) {
    for (const DayNumber day : days) {
        std::string text;
        if (day == days.front()) text += "SYSTEM MESSAGE: THE SAMPLE VENDOR'S DOWNLOAD SERVICE IS OPEN.\n";
        if (holidays.contains(static_cast<DayNumber>(day + 1))) {
            const Date next = lotus_to_date(static_cast<DayNumber>(day + 1));
            text += format("SYSTEM MESSAGE: THE EXCHANGES ARE CLOSED ON %02d/%02d/%04d; NO UPDATES FOR THAT DAY.\n",
                           next.month, next.day, next.year);
        }
        if (lotus_to_date(next_weekday_after(day)).month != lotus_to_date(day).month)
            text += "SYSTEM MESSAGE: MONTH-END. THE MONTHLY FILES OF THIS MONTH ARE READY.\n";
        if (!text.empty()) write_file(vendor / format("SY%s.MSG", packed(day).c_str()), text);
    }
}

void make_vendor_days(const std::filesystem::path& folder) {
    set_env("QUORVANT_ROOT", folder.string());
    TableRules table_rules;
    table_rules.reads_group_index = true;
    const CommodityTable tables = load_tables(table_rules);
    HolidayRules holiday_rules;
    holiday_rules.in_install_folder = true;
    const HolidayTable holidays = load_holidays(holiday_rules);

    std::vector<Series> series;
    DayNumber end = 0;
    for (const Commodity& row : tables) {
        const std::optional<LastDay> last = last_stored_day(row);
        if (last) end = std::max(end, last->day);
        const ClcRecord& r = last ? last->record : ClcRecord{};
        const std::int64_t first_close = static_cast<std::int64_t>(std::pow(10, std::max<int>(0, row.precision))) * 100;
        series.push_back({&row, last ? r.close : first_close, last ? r.open_interest : 1000u,
                          last ? r.total_volume : 5000u, last ? r.total_open_interest : 20000u});
    }
    if (end == 0) end = date_to_lotus(history_end);
    const std::vector<Series> contract_start = series;

    std::vector<DayNumber> days;
    for (DayNumber day = next_weekday_after(end); day <= date_to_lotus(vendor_end); day = next_weekday_after(day))
        if (!holidays.contains(day)) days.push_back(day);

    const auto name = [&](DayNumber day) { return format("DU%s.CLC", packed(day).c_str()); };
    const std::filesystem::path updates = folder / "UPDATES";
    const std::filesystem::path vendor = folder / "VENDOR";
    std::filesystem::create_directories(updates);
    std::filesystem::create_directories(vendor);

    DayNumber previous = end;
    for (const DayNumber day : days) {
        std::string text = name(day) + "\n";
        if (day == days.front())
            text += "$\n"
                    "WELCOME TO THE DAILY UPDATES OF THE SAMPLE INSTALLATION.\n"
                    "THE UPDATER MERGES THEM INTO YOUR DATABASE EVERY TRADING DAY.\n"
                    "THIS NOTICE IS SHOWN ONCE.\n"
                    "$\n";
        for (Series& s : series) {
            // The vendor marks the day a commodity passes to its next contract.
            if (!(contract_in_force(previous, *s.row) == contract_in_force(day, *s.row))) text += rollover_line(s);
            text += day_line(s, day);
        }
        write_file(vendor / name(day), text);
        previous = day;
    }
    write_contract_updates(updates, vendor, contract_start, end, days);
    write_system_messages(vendor, days, holidays);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_vendor_days FOLDER\n");
        return 2;
    }
    try {
        make_vendor_days(argv[1]);
    } catch (const qv::ProgramEnd&) {
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_vendor_days: %s\n", error.what());
        return 1;
    }
    return 0;
}
