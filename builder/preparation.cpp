#include "builder/preparation.h"

#include <algorithm>
#include <cstdio>

#include "builder/ascii_series.h"
#include "builder/build_file.h"
#include "builder/clc_series.h"
#include "builder/cot_series.h"
#include "builder/idx_series.h"
#include "common/calendar.h"
#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/make_directories.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

// A starting date of all zeros: the output starts with the earliest input.
constexpr DayNumber no_first_day = 64000;
// An ending date of 12/31/2049 (not 12/30, the start value) ends the output
// with the input that ends first.
constexpr std::string_view to_earliest_end = "12/31/2049";

void skip_message(const std::string& text) { message(builder_profile, text); }

DayNumber setting_day(const std::string& slashed) {
    int month = 0, day = 0, year = 0;
    if (std::sscanf(slashed.c_str(), "%d/%d/%d", &month, &day, &year) != 3) return no_date;
    if (month == 0 && day == 0 && year == 0) return no_date;
    return date_to_lotus(year, month, day);
}

std::size_t name_start(std::string_view output_name) {
    const std::size_t last = output_name.find_last_of("\\/:");
    return last == std::string_view::npos ? 0 : last + 1;
}

void show_output(std::string_view output_name, bool metastock) {
    const std::size_t start = name_start(output_name);
    std::string_view folder = output_name.substr(0, start);
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
    console().draw({
        {35, 11, output_name.substr(start), true},
        {35, 14, folder.empty() ? std::string_view("\\QUORVANT") : folder, true},
        {42, 17, metastock ? "METASTOCK" : "ASCII", true},
    });
}

// An existing output file must take writing; opened for appending, so that
// nothing of it is lost by the check. A read-only file is made writable first,
// as the user's earlier builds expect.
bool output_writable(const std::string& output_name) {
    if (open_file(output_name, "a")) return true;
    CommandInterpreter().run_line(format("ATTRIB -R \"%s\"", output_name.c_str()));  // a name may hold blanks
    return static_cast<bool>(open_file(output_name, "a"));
}

std::optional<WorkFile> open_ascii_output(const BuildRun& run, const std::string& output_name) {
    if (file_exists(output_name)) {
        if (!output_writable(output_name)) {
            skip_message(format(" ERROR-CAN'T OPEN OUTPUT FILE,@FILE NAME = %s", output_name.c_str()));
            return std::nullopt;
        }
        if (!may_write_output(run.settings, output_name)) return std::nullopt;
    }
    // A name that ends in a backslash, or names a folder, can take no file.
    const bool names_file = !output_name.empty() && output_name.back() != '\\' && output_name.back() != '/' &&
                            !folder_exists(output_name);
    WorkFile work(names_file ? output_work_path(output_name) : std::string(), output_name);
    if (!work.is_open()) {
        if (make_directories(output_name, builder_profile) != 0) return std::nullopt;
        if (names_file) work = WorkFile(output_work_path(output_name), output_name);
    }
    if (!work.is_open()) {
        skip_message(format(" ERROR-CAN'T OPEN OUTPUT FILE,@OUTPUT FILE NAME:%s", output_name.c_str()));
        return std::nullopt;
    }
    return work;
}

SpanResult day_span(const PreparedInput& prepared, const BuildContext& context, DaySpan& span) {
    switch (prepared.input.series_class) {
        case SeriesClass::cot: return cot_day_span(prepared.path, prepared.input, context, span);
        case SeriesClass::clc: return clc_day_span(prepared.path, prepared.input, context, span);
        case SeriesClass::idx: return idx_day_span(prepared.path, prepared.input, context, span);
        case SeriesClass::asc: break;
    }
    return ascii_day_span(prepared.path, prepared.input, context, span);
}

}  // namespace

std::string input_path(const InputLine& input) {
    const std::string& series = input.series;
    if (series.find_first_of(":\\") != std::string::npos || input.series_class == SeriesClass::asc) return series;
    const char* folder = input.series_class == SeriesClass::cot   ? "COT"
                         : input.series_class == SeriesClass::clc ? "CLC"
                                                                  : "IDX";
    std::string path = format("\\QUORVANT\\%s\\%s", folder, series.c_str());
    if (series.find('.') == std::string::npos) path += ".QVT";
    return path;
}

std::string output_work_path(std::string_view output_name) {
    return std::string(output_name.substr(0, name_start(output_name))) + "TEMP_ASC.QVT";
}

std::optional<Preparation> prepare_output(const BuildRun& run, const Block& block, const std::string& output_name,
                                          bool name_substituted, BuildContext& context) {
    const BuildSettings& settings = run.settings;
    Preparation prepared;
    for (const std::string& line : block.input_lines) {
        if (line.find_first_of(" ,") == std::string::npos) {
            skip_message("FILE/FIELD SEPARATOR MISSING:  " + line);
            return std::nullopt;
        }
        auto input = parse_field_list(line);
        if (!input) return std::nullopt;
        const std::string path = input_path(*input);
        prepared.inputs.push_back({line, std::move(*input), path});
    }
    if (prepared.inputs.empty()) return std::nullopt;
    context.single_input = prepared.inputs.size() == 1;

    const DayNumber starting_day = setting_day(settings.starting_date);
    DayNumber first_day = no_first_day;
    if (starting_day != no_date) {
        first_day = next_output_day(static_cast<DayNumber>(starting_day - 1), settings.include_holidays, run.holidays);
    }
    DayNumber last_day = std::min(setting_day(settings.ending_date), today());
    const bool to_earliest = settings.ending_date == to_earliest_end;

    if (output_name.empty()) {
        skip_message("OUTPUT FILE UNDEFINED, CAN'T CONTINUE.");
        return std::nullopt;
    }
    const bool metastock = settings.output_format == 'M' || settings.output_format == 'm';
    show_output(output_name, metastock);
    if (metastock) {
        MetastockBlock ms_block{settings, run.commodities, run.holidays, output_name, name_substituted,
                                prepared.inputs.front().input, prepared.inputs.back().input};
        prepared.metastock_output = MetastockOutput::prepare(ms_block);
        if (!prepared.metastock_output) return std::nullopt;
    } else {
        prepared.ascii_output = open_ascii_output(run, output_name);
        if (!prepared.ascii_output) return std::nullopt;
    }

    for (std::size_t i = 0; i < prepared.inputs.size(); ++i) {
        context.input_number = static_cast<int>(i + 1);
        DaySpan span;
        switch (day_span(prepared.inputs[i], context, span)) {
            case SpanResult::ok: break;
            case SpanResult::missing:
                // The user learns of a missing input by the missing output file.
                if (prepared.ascii_output) {
                    prepared.ascii_output->abandon();
                    delete_file(output_name);
                }
                return std::nullopt;
            case SpanResult::refused: return std::nullopt;
        }
        if (starting_day == no_date && span.first != no_date) first_day = std::min(first_day, span.first);
        if (to_earliest && span.last != no_date) last_day = std::min(last_day, span.last);
    }
    if (last_day < first_day) {
        skip_message("START DATE OUT OF RANGE@PLEASE RE-ENTER VALID START DATE");
        return std::nullopt;
    }
    context.first_day = first_day;
    context.last_day = last_day;
    return prepared;
}

}  // namespace qv::builder
