#include "builder/clc_series.h"

namespace qv::builder {

SpanResult clc_day_span(const std::string& path, const InputLine& input, const BuildContext& context,
                        DaySpan& span) {
    (void)path;
    (void)input;
    (void)context;
    span = DaySpan{unknown_last_day, unknown_last_day};
    return SpanResult::missing;
}

std::unique_ptr<InputSeries> open_clc_series(const std::string& path, const InputLine& input,
                                             BuildContext& context, OpenResult& result) {
    (void)path;
    (void)input;
    (void)context;
    result = OpenResult::cannot_open;
    return nullptr;
}

DayNumber last_clc_date(std::string_view tag) {
    (void)tag;
    return no_date;
}

}  // namespace qv::builder
