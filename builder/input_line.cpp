#include "builder/input_line.h"

#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

void show(const std::string& text) { message(builder_profile, text); }

}  // namespace

int highest_field(SeriesClass series_class) {
    switch (series_class) {
        case SeriesClass::cot: return 18;
        case SeriesClass::clc: return 8;
        case SeriesClass::idx: return 99;
        case SeriesClass::asc: return 240;
    }
    return 0;
}

SeriesClass find_series_class(std::string_view series) {
    constexpr std::pair<std::string_view, SeriesClass> classes[] = {
        {"COT", SeriesClass::cot}, {"CLC", SeriesClass::clc}, {"IDX", SeriesClass::idx}, {"ASC", SeriesClass::asc}};
    for (std::size_t at = 0; at + 3 <= series.size(); ++at) {
        for (const auto& [name, series_class] : classes) {
            if (equal_no_case(series.substr(at, 3), name)) return series_class;
        }
    }
    return SeriesClass::asc;
}

std::optional<std::string> clc_tag(std::string_view series) {
    std::size_t underscore = series.find('_');
    if (underscore == std::string_view::npos) return std::nullopt;
    if (underscore + 1 < series.size() && series[underscore + 1] == '_') ++underscore;
    if (underscore < 2) return std::nullopt;
    return std::string(series.substr(underscore - 2, 2));
}

int check_input_line(std::string_view line) {
    // ASCII files are not checked here: their fields are counted when they are read.
    const SeriesClass series_class = find_series_class(line.substr(0, line.find_first_of(" ,")));
    const FieldList scan = scan_field_list(line, series_class == SeriesClass::asc ? 0 : highest_field(series_class));
    const std::string text(line);
    switch (scan.fault) {
        case FieldListFault::none: return 0;
        case FieldListFault::no_name_end: show("NO FIELDS SPECIFIED FOR THIS FILE@" + text); break;
        case FieldListFault::bad_character:
            show(format("INVALID CHARACTER AT POSITION %d ON LINE@%s", static_cast<int>(scan.position + 1),
                        text.c_str()));
            break;
        case FieldListFault::no_final_number: show(format("THIS LINE DOESN'T END WITH A NUMBER?@%s", text.c_str())); break;
        case FieldListFault::no_fields: show(format("NO FIELDS SPECIFIED IN THIS LINE@%s", text.c_str())); break;
        case FieldListFault::first_not_number: show(format("FIRST FIELD IN THIS LINE IS NOT A NUMBER?@%s", text.c_str())); break;
        case FieldListFault::bad_field: show(format("%d IS AN INVALID FIELD NUMBER@%s", scan.field, text.c_str())); break;
    }
    return 1;
}

std::optional<InputLine> parse_field_list(std::string_view line) {
    const FieldList scan = scan_field_list(line, 0);
    if (scan.fault != FieldListFault::none) {
        show("INVALID FILE/FIELD LINE DETECTED - " + std::string(line));
        return std::nullopt;
    }
    if (scan.terms.size() > field_terms_kept) {
        message(builder_profile, "ERROR-NUMBER OF FIELDS EXCEEDS", static_cast<int>(field_terms_kept));
        return std::nullopt;
    }
    return InputLine{std::string(scan.series), find_series_class(scan.series), scan.terms};
}

}  // namespace qv::builder
