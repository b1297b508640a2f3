#include "updater/broadcast_set.h"

#include <algorithm>
#include <cstdlib>

#include "common/contract_name.h"
#include "common/contract_rule.h"
#include "common/field_terms.h"
#include "common/platform/console.h"
#include "common/platform/text.h"
#include "common/sampling.h"
#include "updater/broadcast_output.h"

namespace qv {

namespace {

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string_view kind_text(DatabaseKind kind) { return kind == DatabaseKind::clc ? "CLC" : "IDX"; }

// Prices of these commodities are sent without their last digit, a quarter
// tick: 65.12 stands for 65.125 and 65.17 for 65.175.
bool sent_without_quarter_tick(std::string_view tag) {
    for (const std::string_view quarter : {"FC", "LC", "PB", "LH"})
        if (equal_no_case(tag, quarter)) return true;
    return false;
}

// The date YYMMDD of an update line (years 0 to 40 are 20YY for field 8).
DayNumber update_line_day(std::string_view line) {
    if (line.size() < 9) return no_date;
    const std::string digits(line.substr(3, 6));
    for (const char c : digits)
        if (c < '0' || c > '9') return no_date;
    const int year = std::atoi(digits.substr(0, 2).c_str());
    return date_to_lotus(field8_year(year), std::atoi(digits.substr(2, 2).c_str()),
                         std::atoi(digits.substr(4, 2).c_str()));
}

std::optional<double> field_value(std::string_view line, int field, DatabaseKind kind,
                                  const CommodityTable& commodities) {
    if (kind == DatabaseKind::clc && field == 8) {
        const Commodity* commodity = commodities.find_no_case(line.substr(0, 2));
        const DayNumber day = update_line_day(line);
        if (!commodity || day == no_date) return std::nullopt;
        return contract_in_force(day, *commodity).year_month();
    }
    std::optional<std::string> text = update_line_field(line, field);
    if (!text) return std::nullopt;
    if (kind == DatabaseKind::clc && field < 5 && sent_without_quarter_tick(line.substr(0, 2)))
        *text += !text->empty() && (text->back() == '2' || text->back() == '7') ? "5" : "0";
    char* end = nullptr;
    const double value = std::strtod(text->c_str(), &end);
    if (end == text->c_str()) return std::nullopt;
    return value;
}

void report(std::string_view text) { updater_message(text); }

}  // namespace

std::optional<DatabaseKind> broadcast_kind_of(std::string_view name) {
    if (contains(name, "IDX")) return DatabaseKind::idx;
    if (contains(name, "CLC")) return DatabaseKind::clc;
    if (contains(name, "COT")) return DatabaseKind::cot;
    return std::nullopt;
}

DayNumber previous_trading_day(DayNumber day, const HolidayTable& holidays) {
    DayNumber before = day;
    while (before > first_day_number) {
        --before;
        const int on = weekday(before);
        if (on != saturday && on != sunday && !holidays.contains(before)) return before;
    }
    return no_date;
}

std::string output_name_for(const OptionSet& set, DayNumber day, const CommodityTable& commodities) {
    std::string name = set.output;
    const char month_mark = set.settings.month_substitution;
    const char year_mark = set.settings.year_substitution;
    if (!has_contract_marks(name, month_mark, year_mark)) return name;
    const auto clc_line = std::find_if(set.inputs.begin(), set.inputs.end(),
                                       [](const std::string& line) { return contains(line, "CLC"); });
    const Commodity* commodity =
        clc_line == set.inputs.end() ? nullptr : commodities.find_no_case(std::string_view(*clc_line).substr(0, 2));
    if (!commodity) {
        report(format("WARNING-no CLC input file specified@for output file %s?", set.output.c_str()));
        return name;
    }
    put_contract_into_name(name, contract_in_force(day, *commodity), month_mark, year_mark);
    return name;
}

std::vector<FieldWrite> field_writes(const OptionSet& set, const BroadcastUpdate& lines, DatabaseKind kind,
                                     UpdaterState& state) {
    std::vector<FieldWrite> writes;
    const DayNumber before = previous_trading_day(lines.day, state.holidays);
    int column = 1;
    for (const std::string& input : set.inputs) {
        const FieldList list = scan_field_list(input, 0);
        const int terms = static_cast<int>(list.terms.size());
        const std::string* line = lines.line_of(input);
        if (!contains(input, kind_text(kind)) || list.fault != FieldListFault::none || !line) {
            column += std::max(terms, 1);
            continue;
        }
        if (const auto row = state.tables.position_of_no_case(*line);
            row && *row < state.rebuild_state.size() && state.rebuild_state[*row] == rebuild_rolled_in_broadcast)
            state.rebuild_state[*row] = rebuild_outputs;
        for (const FieldTerm& term : list.terms) {
            if (const std::optional<double> value = field_value(*line, term.field, kind, state.tables)) {
                const double zero_operand = kind == DatabaseKind::clc ? 0.000001 : 0.00001;
                FieldWrite write;
                write.day = lines.day;
                write.column = column;
                write.value = term.op == '\0' ? *value : apply_operator(term, *value, zero_operand);
                write.has_operator = term.op != '\0';
                writes.push_back(write);
                if (kind == DatabaseKind::clc && (term.field == 5 || term.field == 7) && before != no_date) {
                    write.day = before;
                    write.repeated_until = lines.day;
                    writes.push_back(write);
                }
            }
            ++column;
        }
    }
    return writes;
}

SetResult broadcast_into_set(OptionSet set, const BroadcastUpdate& lines, DatabaseKind kind, UpdaterState& state) {
    if (lines.day == no_date) return SetResult::not_served;
    const bool reads_kind = std::any_of(set.inputs.begin(), set.inputs.end(),
                                        [&](const std::string& line) { return contains(line, kind_text(kind)); });
    if (!reads_kind || !is_sampling_day(lines.day, set.settings.sampling_period, state.holidays))
        return SetResult::not_served;
    for (const std::string& input : set.inputs) {
        if (scan_field_list(input, 0).fault != FieldListFault::none) {
            report("INVALID FILE/FIELD LINE DETECTED - " + input);
            return SetResult::failed;
        }
    }
    const bool metastock = set.settings.output_format == 'M';
    if (metastock) expand_single_field(set);

    const std::string output = output_name_for(set, lines.day, state.tables);
    const std::vector<FieldWrite> writes = field_writes(set, lines, kind, state);
    if (writes.empty()) return SetResult::not_served;
    console().draw({{48, 15, output, true}});
    console().flush();

    const OutputWrite result = metastock
                                   ? write_metastock_output(output, lines.day, writes, set.settings, state.holidays)
                                   : write_ascii_output(output, lines.day, writes, set.settings, state.holidays);
    switch (result) {
        case OutputWrite::written: return SetResult::written;
        case OutputWrite::missing:
            report(format("ERROR- can't find file %s@Probably rolled over and should be rebuilt.", output.c_str()));
            return SetResult::failed;
        case OutputWrite::long_line:
            report(format("ERROR-Cannot 'Broadcast' files if more than 5000 char/line@%s", output.c_str()));
            return SetResult::failed;
        case OutputWrite::failed: return SetResult::failed;
    }
    return SetResult::failed;
}

}  // namespace qv
