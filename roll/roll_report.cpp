#include "roll/roll_report.h"

#include <algorithm>
#include <array>

#include "common/front_door.h"
#include "common/platform/text.h"

namespace qv::roll {

namespace {

// Tags whose names fill the display column: one tab after them lines the
// columns up where the other names take two.
constexpr std::array<std::string_view, 36> long_name_tags = {
    "AX", "BN", "BO", "CB", "DT", "DX", "EC", "ED", "ER", "FB", "GI", "MW", "NG", "NR", "RB", "SF", "SN", "TU",
    "TY", "UA", "US", "UZ", "XU", "ZA", "ZD", "ZF", "ZH", "ZK", "ZM", "ZN", "ZP", "ZS", "ZT", "ZU", "ZW", "ZZ",
};

constexpr std::string_view rolling_today_note = " *  This commodity is rolling today to the next contract.\n";

bool has_long_name(const Commodity& commodity) {
    return std::find(long_name_tags.begin(), long_name_tags.end(), commodity.tag) != long_name_tags.end();
}

// The roll date as month name and day, as the reports' six-character column holds it.
std::string roll_date_text(DayNumber roll_date) {
    if (roll_date == no_date) return std::string(month_name(0));
    const Date date = lotus_to_date(roll_date);
    return format("%.*s %d", int(month_name(date.month).size()), month_name(date.month).data(), date.day);
}

// The start of a commodity's line: "*" when it rolls today.
std::string line_start(const RollLine& line) { return line.status.rolling_today ? "\n*" : "\n "; }

// The active contract, the two day counts and the roll date, each followed by a tab.
std::string columns(const RollStatus& status) {
    const std::string active(month_name(status.active_month));
    return format("%s%c%3d%c%3d%c%-6.6s%c", active.c_str(), '\t', status.calendar_days, '\t', status.trading_days,
                  '\t', roll_date_text(status.roll_date).c_str(), '\t');
}

std::string closing(const std::vector<RollLine>& lines) {
    std::string text = "\n";
    if (std::any_of(lines.begin(), lines.end(), [](const RollLine& line) { return line.status.rolling_today; }))
        text += rolling_today_note;
    return text;
}

}  // namespace

std::vector<const Commodity*> report_order(const CommodityTable& commodities) {
    std::vector<const Commodity*> order;
    for (const Commodity& commodity : commodities) order.push_back(&commodity);
    std::stable_sort(order.begin(), order.end(), [](const Commodity* a, const Commodity* b) {
        return a->tag.substr(0, 2) < b->tag.substr(0, 2);
    });
    return order;
}

std::string_view month_name(int month) {
    if (month < 1 || month > 12) return "N/A";
    return month_names[static_cast<std::size_t>(month - 1)];
}

std::string contracts_followed(const Commodity& commodity, char active_code) {
    const std::string cycle = contract_cycle(commodity.all_tag);
    std::string text;
    for (char code : cycle)
        if (code < active_code) text += code;
    text += format("<%c>", active_code);
    for (char code : cycle)
        if (code > active_code) text += code;
    return text;
}

std::string rollshow_text(const std::vector<RollLine>& lines) {
    std::string text =
        "\n                                              ACTIVE   DAYS-TO-ROLLOVER   ROLL                NEXT"
        "             CONTRACTS"
        "\n COMMODITY                   CONTRACT CALENDER TRADING   DATE           CONTRACT          FOLLOWED\n";
    for (const RollLine& line : lines) {
        text += line_start(line);
        text += line.commodity->name;
        text += has_long_name(*line.commodity) ? "\t" : "\t\t";
        text += columns(line.status);
        text += std::string(12, ' ');
        text += month_name(line.status.next_month);
        text += std::string(18, ' ');
        text += contracts_followed(*line.commodity, line.status.active_code);
    }
    return text + closing(lines);
}

std::string rollprnt_text(const std::vector<RollLine>& lines, const Date& today) {
    std::string text = format("\n  ROLL, VER. %.*s           ROLL OVER STATUS AS OF DATE: %d/%d/%d     ",
                              int(roll_about.version.size()), roll_about.version.data(),
                              today.month, today.day, today.year);
    text += "\n\n                    ACTIVE  DAYS TO ROLLOVER    ROLL     CONTRACTS";
    text += "\n     COMMODITY     CONTRACT CALENDER-TRADING    DATE    NEXT  USED";
    for (const RollLine& line : lines) {
        text += line_start(line);
        text += line.commodity->name;
        text += '\t';
        text += columns(line.status);
        text += month_name(line.status.next_month);
        text += "  ";
        const bool all_months = contract_cycle(line.commodity->all_tag).size() == month_codes.size();
        text += all_months ? format("ALL<%c>", line.status.active_code)
                           : contracts_followed(*line.commodity, line.status.active_code);
    }
    return text + closing(lines);
}

}  // namespace qv::roll
