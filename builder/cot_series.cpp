#include "builder/cot_series.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/cot_file.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

constexpr std::size_t cot_field_count = 18;
constexpr std::size_t cot_index_fields = 3;  // fields 1 to 3
constexpr int default_lookback_days = 400;

// The values of the 18 fields of one report, field n at [n - 1].
using CotFields = std::array<std::int64_t, cot_field_count>;

enum Group { commercial, non_commercial, non_reportable };

std::int64_t group_net(const CotRecord& record, int group) {
    switch (group) {
    case commercial: return record.commercial_net();
    case non_commercial: return record.non_commercial_net();
    default: return record.non_reportable_net();
    }
}

// The first report that carries positions at all. Reports whose positions are
// all 0 carry no data, and the index window starts after them.
std::optional<std::size_t> first_data_record(const std::vector<CotRecord>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CotRecord& r = records[i];
        const std::int64_t sum = std::int64_t{r.non_commercial_long} + r.non_commercial_short +
                                 r.non_commercial_spreading + r.commercial_long + r.commercial_short +
                                 r.non_reportable_long + r.non_reportable_short;
        if (sum != 0) return i;
    }
    return std::nullopt;
}

int lookback_days(const BuildSettings& settings) {
    const std::string& text = settings.cot_index_lookback_days;
    if (text.empty()) return default_lookback_days;
    return static_cast<int>(std::clamp(std::strtol(text.c_str(), nullptr, 10), 0L, 99999L));
}

// The calendar days the look-back window spans: from the first data report to
// the day `output_days` output days later.
int lookback_span(DayNumber from, int output_days, const BuildContext& context) {
    DayNumber day = from;
    for (int i = 0; i < output_days; ++i) {
        const DayNumber next = next_output_day(day, context.settings.include_holidays, context.holidays);
        if (next == no_date || next <= day) break;
        day = next;
    }
    return day - from;
}

std::vector<CotFields> derive_fields(const std::vector<CotRecord>& records, const BuildContext& context) {
    std::vector<CotFields> fields(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CotRecord& r = records[i];
        fields[i] = {0, 0, 0,
                     r.total_open_interest(),
                     r.commercial_long, r.commercial_short,
                     r.non_commercial_long, r.non_commercial_short,
                     r.non_reportable_long, r.non_reportable_short,
                     r.non_commercial_spreading,
                     r.commercial_traders_long, r.commercial_traders_short,
                     r.non_commercial_traders_long, r.non_commercial_traders_short,
                     r.commercial_net(), r.non_commercial_net(), r.non_reportable_net()};
    }

    const std::optional<std::size_t> first = first_data_record(records);
    if (!first) return fields;
    const int first_day = records[*first].day;
    const int span = lookback_span(records[*first].day, lookback_days(context.settings), context);

    for (std::size_t i = *first; i < records.size(); ++i) {
        const int window_start = records[i].day - span;
        // A report whose window would reach back before the first data gets
        // no index: its window would be too short to say anything.
        if (window_start < first_day) continue;
        for (int group = commercial; group <= non_reportable; ++group) {
            std::int64_t least = group_net(records[i], group);
            std::int64_t greatest = least;
            for (std::size_t j = *first; j <= i; ++j) {
                if (records[j].day < window_start) continue;
                least = std::min(least, group_net(records[j], group));
                greatest = std::max(greatest, group_net(records[j], group));
            }
            if (greatest == least) greatest = least + 1;
            fields[i][group] = (group_net(records[i], group) - least) * 100 / (greatest - least);
        }
    }
    return fields;
}

class CotSeries final : public InputSeries {
public:
    CotSeries(std::vector<CotRecord> records, const InputLine& input, const BuildContext& context)
        : records_(std::move(records)),
          fields_(derive_fields(records_, context)),
          input_(input),
          context_(context),
          since_report_(context.settings.include_holidays, context.holidays),
          between_reports_(context.settings.include_holidays, context.holidays) {}

    FieldsResult append_fields(std::string& line, DayNumber day) override {
        const char separator = context_.settings.column_separator();
        if (records_.empty() || day < records_.front().day) {
            for (std::size_t i = 0; i < input_.terms.size(); ++i) {
                line += separator;
                line += '0';
            }
            return FieldsResult::ok;
        }
        while (report_ + 1 < records_.size() && records_[report_ + 1].day <= day) ++report_;

        CotFields values = fields_[report_];
        if (context_.settings.cot_interpolation_method == '2' && report_ + 1 < records_.size()) {
            const DayNumber from = records_[report_].day;
            const double fraction = static_cast<double>(since_report_.steps(from, day)) /
                                    static_cast<double>(between_reports_.steps(from, records_[report_ + 1].day));
            const CotFields& next = fields_[report_ + 1];
            for (std::size_t f = 0; f < cot_field_count; ++f) {
                const double moved = static_cast<double>(values[f]) +
                                     static_cast<double>(next[f] - values[f]) * fraction;
                values[f] = static_cast<std::int64_t>(std::trunc(moved));
            }
        }
        // A COT index is never shown as 0 (1 stands for it), and a term without
        // an operator writes 5 for 0: outputs built earlier carry these values,
        // and the days the broadcast appends to them must match.
        for (std::size_t f = 0; f < cot_index_fields; ++f) {
            if (values[f] == 0) values[f] = 1;
        }

        for (const FieldTerm& term : input_.terms) {
            const std::int64_t value =
                term.field >= 1 && term.field <= static_cast<int>(cot_field_count) ? values[term.field - 1] : 0;
            line += separator;
            if (term.op != '\0') {
                append_fixed(line, apply_operator(term, static_cast<double>(value), 0.00001), 4);
            } else {
                append_whole(line, value == 0 ? 5 : value);
            }
        }
        return FieldsResult::ok;
    }

private:
    std::vector<CotRecord> records_;
    std::vector<CotFields> fields_;
    InputLine input_;
    const BuildContext& context_;
    std::size_t report_ = 0;
    OutputDayCount since_report_;
    OutputDayCount between_reports_;
};

enum class Loaded { ok, cannot_open };

Loaded read_records(const std::string& path, std::vector<CotRecord>& records) {
    CotReader reader;
    if (!reader.open(path)) return Loaded::cannot_open;
    CotRecord record;
    while (reader.read(record)) records.push_back(record);
    return Loaded::ok;
}

}  // namespace

SpanResult cot_day_span(const std::string& path, const InputLine&, const BuildContext&, DaySpan& span) {
    std::vector<CotRecord> records;
    if (read_records(path, records) != Loaded::ok) return SpanResult::missing;
    if (records.empty()) {
        span.first = no_date;
        span.last = unknown_last_day;
    } else {
        span.first = records.front().day;
        span.last = records.back().day;
    }
    return SpanResult::ok;
}

std::unique_ptr<InputSeries> open_cot_series(const std::string& path, const InputLine& input, BuildContext& context,
                                             OpenResult& result) {
    std::vector<CotRecord> records;
    if (read_records(path, records) != Loaded::ok) {
        message(builder_profile, "UNABLE TO OPEN THIS FILE -" + path);
        result = OpenResult::stopped;
        return nullptr;
    }
    // Reports are found by date and spread over the days between them: a
    // record without a day, or one not after the record before it, would
    // spread reports over days they do not belong to.
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].day == no_date || (i > 0 && records[i].day <= records[i - 1].day)) {
            result = OpenResult::corrupted;
            return nullptr;
        }
    }
    result = OpenResult::ok;
    return std::make_unique<CotSeries>(std::move(records), input, context);
}

}  // namespace qv::builder
