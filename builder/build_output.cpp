#include "builder/build_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "builder/contract_name.h"
#include "builder/final_pass.h"
#include "builder/output_table.h"
#include "builder/series_class.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/install_files.h"

namespace qv::builder {

namespace {

// The old builders joined the inputs through two tables used in turn; a table
// left behind by them, or by a run that was killed, goes too.
constexpr std::string_view old_table_path = install::previous_build_table_file;

void delete_tables() {
    delete_file(table_path);
    delete_file(old_table_path);
}

// The tables are deleted however the build of an output file ends.
struct TableRemoval {
    TableRemoval() { delete_tables(); }
    ~TableRemoval() { delete_tables(); }
    TableRemoval(const TableRemoval&) = delete;
    TableRemoval& operator=(const TableRemoval&) = delete;
};

// The MetaStock output fills a day without data with the previous day's
// values where the user asked for zeros; the setting is the user's again for
// the next block.
class HolidayValueForMetastock {
public:
    explicit HolidayValueForMetastock(BuildSettings& settings) : settings_(settings) {
        const char value = settings_.value_of_included_holiday;
        if (value == 'Z' || value == 'z') {
            saved_ = value;
            settings_.value_of_included_holiday = 'P';
        }
    }
    ~HolidayValueForMetastock() {
        if (saved_) settings_.value_of_included_holiday = saved_;
    }
    HolidayValueForMetastock(const HolidayValueForMetastock&) = delete;
    HolidayValueForMetastock& operator=(const HolidayValueForMetastock&) = delete;

private:
    BuildSettings& settings_;
    char saved_ = '\0';
};

std::unique_ptr<InputSeries> open_series(const PreparedInput& prepared, BuildContext& context, OpenResult& result) {
    return series_class_row(prepared.input.series_class).open(prepared.path, prepared.input, context, result);
}

bool put(std::FILE* file, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// The table is written and read back in large blocks rather than in the
// stream's own small ones: a call to the system per block is a good part of
// the time of a build. Declared before the file it serves, so that it
// outlives the file's close.
constexpr std::size_t table_block = 64 * 1024;

void use_table_buffer(std::FILE* file, std::vector<char>& buffer) {
    buffer.resize(table_block);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
}

// The ASCII output's lines gathered into blocks of about the same size before
// they go to the work file, whose stream is not ours to give a buffer: it may
// be closed after this function has returned.
class OutputBlocks {
public:
    explicit OutputBlocks(std::FILE* file) : file_(file) { pending_.reserve(table_block + 4096); }

    void add(std::string_view text) {
        pending_ += text;
        if (pending_.size() >= table_block) flush();
    }
    void add_line(std::string_view line) {
        add(line);
        add("\n");
    }
    // False once any write failed.
    bool ok() const { return written_; }
    bool flush() {
        written_ = put(file_, pending_) && written_;
        pending_.clear();
        return written_;
    }

private:
    std::FILE* file_;
    std::string pending_;
    bool written_ = true;
};

// The table's lines, each whole however long and without its line end (LF,
// or CR LF, as read_line takes it). A line is found by the stream's own search
// for its end rather than byte by byte: the table is read back in full for
// every output file. A CR is a line end only before an LF, so a line read to
// its LF and stripped of a CR just before it is the line read_line gives.
class TableReader {
public:
    explicit TableReader(std::FILE* file) : file_(file) {}
    ~TableReader() { std::free(text_); }
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    // False at the end of the table.
    bool next(std::string_view& line) {
        const ssize_t length = getline(&text_, &capacity_, file_);
        if (length <= 0) return false;
        line = std::string_view(text_, static_cast<std::size_t>(length));
        if (line.ends_with("\r\n")) line.remove_suffix(2);
        else if (line.ends_with('\n')) line.remove_suffix(1);
        return true;
    }

private:
    std::FILE* file_;
    char* text_ = nullptr;
    std::size_t capacity_ = 0;
};

enum class TableOutcome { complete, skipped, run_ends };

// The days the output steps through: every calendar day with INCLUDEHOLIDAYS
// A; the weekdays, holidays included, for a single CLC input (whose own rule
// leaves holidays out or fills them); else the output days of the setting.
DayNumber next_day(DayNumber day, const BuildContext& context, const Preparation& prepared) {
    const char include = context.settings.include_holidays;
    if (include == 'A' || include == 'a') return next_output_day(day, include, context.holidays);
    if (context.single_input && prepared.inputs.front().input.series_class == SeriesClass::clc) {
        return next_weekday(day);
    }
    return next_output_day(day, include, context.holidays);
}

void report_corrupted(const PreparedInput& input, const Preparation& prepared, const std::string& output_name) {
    if (prepared.ascii_output) delete_file(output_name);
    message(builder_profile,
            format("MASTER DATA FILE %s IS CORRUPTED, @BYPASSING THIS FILE", input.input.series.c_str()));
}

// Writes the joined table in one pass over the output days: each day's line
// starts with its date text and every input in order appends its columns. A
// day whose line has no data after an input is dropped at once, so the later
// inputs are not asked for it, as a table of the earlier inputs alone would
// not have held it.
TableOutcome write_table(const BuildRun& run, Preparation& prepared, BuildContext& context,
                         std::size_t& heading_lines, const std::string& output_name) {
    std::vector<char> buffer;
    const FilePtr table = open_file(table_path, "w");
    if (!table) fatal_error(builder_profile, "UNABLE TO OPEN TEMPORARY FILE 'TEMP0001.QVT', CHECK DISK SPACE");
    use_table_buffer(table.get(), buffer);

    std::string headings;
    if (run.meta13) {
        headings = metastock_style_heading(prepared.inputs.front().line);
    } else {
        std::vector<std::string> lines;
        for (const PreparedInput& input : prepared.inputs) lines.push_back(input.line);
        if (!write_title_and_headings(headings, run.settings, lines, run.headings)) return TableOutcome::skipped;
    }
    heading_lines = static_cast<std::size_t>(std::count(headings.begin(), headings.end(), '\n'));

    std::vector<std::unique_ptr<InputSeries>> series;
    for (std::size_t i = 0; i < prepared.inputs.size(); ++i) {
        context.input_number = static_cast<int>(i + 1);
        OpenResult result = OpenResult::ok;
        series.push_back(open_series(prepared.inputs[i], context, result));
        switch (result) {
            case OpenResult::ok: break;
            case OpenResult::cannot_open:
                message(builder_profile, "UNABLE TO OPEN THE FILE -" + prepared.inputs[i].path);
                return TableOutcome::run_ends;
            case OpenResult::corrupted:
                report_corrupted(prepared.inputs[i], prepared, output_name);
                return TableOutcome::skipped;
            case OpenResult::stopped: return TableOutcome::run_ends;
        }
        if (!series.back()) return TableOutcome::run_ends;
    }

    bool written = put(table.get(), headings);
    const char date_format = run.settings.output_date_format;
    std::string line;
    for (DayNumber day = context.first_day; day != no_date && day <= context.last_day;
         day = next_day(day, context, prepared)) {
        line = output_date_text(day, date_format);
        for (std::size_t i = 0; i < series.size(); ++i) {
            context.input_number = static_cast<int>(i + 1);
            switch (series[i]->append_fields(line, day)) {
                case FieldsResult::ok: break;
                case FieldsResult::corrupted:
                    report_corrupted(prepared.inputs[i], prepared, output_name);
                    return TableOutcome::skipped;
                case FieldsResult::stopped: return TableOutcome::run_ends;
            }
            if (!line_has_data(line, date_format)) break;
        }
        if (line_has_data(line, date_format)) {
            line += '\n';
            written = put(table.get(), line) && written;
        }
        Console& screen = console();
        if (screen.key_waiting()) {
            screen.read_key();
            return TableOutcome::run_ends;
        }
    }
    if (!written || std::fflush(table.get()) != 0) {
        fatal_error(builder_profile, "UNABLE TO OPEN TEMPORARY FILE 'TEMP0001.QVT', CHECK DISK SPACE");
    }
    return TableOutcome::complete;
}

// The ASCII output: the title and heading lines, then the lines the sampling
// period selects, into the work file that then takes the output file's place.
bool write_ascii_output(const BuildRun& run, WorkFile& output, std::size_t heading_lines, bool index_saturday) {
    std::vector<char> buffer;
    const FilePtr table = open_file(table_path, "r");
    if (!table) fatal_error(builder_profile, "UNABLE TO OPEN THE OUTPUT FILE AS SPECIFIED, PLSE CHECK DISK SPACE.");
    use_table_buffer(table.get(), buffer);
    OutputBlocks out(output.file());
    TableReader reader(table.get());
    std::string_view line;
    for (std::size_t i = 0; i < heading_lines && reader.next(line); ++i) out.add_line(line);
    FinalPass pass(run.settings, run.holidays, index_saturday, [&](std::string_view selected) {
        out.add_line(selected);
        return out.ok();
    });
    bool complete = true;
    while (complete && reader.next(line)) {
        if (line.empty()) fatal_error(builder_profile, "SYSTEM ERROR #103");
        complete = pass.add(line);
    }
    if (complete) complete = pass.finish();
    const bool written = out.flush();
    if (!written) fatal_error(builder_profile, "UNABLE TO OPEN THE OUTPUT FILE AS SPECIFIED, PLSE CHECK DISK SPACE.");
    if (!complete) return false;
    if (!output.commit()) {
        fatal_error(builder_profile, "UNABLE TO OPEN THE OUTPUT FILE AS SPECIFIED, PLSE CHECK DISK SPACE.");
    }
    return true;
}

}  // namespace

BuildOutcome build_output_file(BuildRun& run, const Block& block) {
    std::optional<HolidayValueForMetastock> holiday_value;
    if (run.settings.output_format == 'M' || run.settings.output_format == 'm') holiday_value.emplace(run.settings);

    BuildContext context{run.settings, run.commodities, run.holidays};
    // The block keeps the name's pattern; the next build of it starts from there.
    std::string output_name = block.output_name;
    bool substituted = false;
    if (substitute_contract_into_name(output_name, block.input_lines, context, substituted) < 0) {
        return BuildOutcome::skipped;
    }
    std::optional<Preparation> prepared = prepare_output(run, block, output_name, substituted, context);
    if (!prepared) return BuildOutcome::skipped;

    const TableRemoval tables;
    std::size_t heading_lines = 0;
    switch (write_table(run, *prepared, context, heading_lines, output_name)) {
        case TableOutcome::complete: break;
        case TableOutcome::skipped: return BuildOutcome::skipped;
        case TableOutcome::run_ends: return BuildOutcome::run_ends;
    }
    if (prepared->metastock_output) {
        return prepared->metastock_output->write(table_path, context.index_saturday) ? BuildOutcome::built
                                                                                   : BuildOutcome::skipped;
    }
    return write_ascii_output(run, *prepared->ascii_output, heading_lines, context.index_saturday)
               ? BuildOutcome::built
               : BuildOutcome::skipped;
}

}  // namespace qv::builder
