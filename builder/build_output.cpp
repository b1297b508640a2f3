#include "builder/build_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "builder/contract_name.h"
#include "builder/final_pass.h"
#include "builder/metastock_output.h"
#include "builder/output_table.h"
#include "builder/series_class.h"
#include "common/calendar.h"
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

// The ASCII output's lines: the title and heading lines as they are, the data
// lines through the final pass, into the work file that then takes the output
// file's place.
class AsciiLines {
public:
    AsciiLines(const BuildRun& run, WorkFile& output, bool index_saturday)
        : output_(output),
          out_(output.file()),
          pass_(run.settings, run.holidays, index_saturday, [this](std::string_view selected) {
              out_.add_line(selected);
              return out_.ok();
          }) {}
    AsciiLines(const AsciiLines&) = delete;
    AsciiLines& operator=(const AsciiLines&) = delete;

    void heading(std::string_view line) { out_.add_line(line); }

    // False once the pass has stopped.
    bool data(std::string_view line) {
        if (!complete_) return false;
        if (line.empty()) fatal_error(builder_profile, "SYSTEM ERROR #103");
        complete_ = pass_.add(line);
        return complete_;
    }

    // Ends the pass and puts the output file in place; false when the pass
    // stopped.
    bool end() {
        bool complete = complete_;
        if (complete) complete = pass_.finish();
        const bool written = out_.flush();
        if (!written || (complete && !output_.commit())) {
            fatal_error(builder_profile, "UNABLE TO OPEN THE OUTPUT FILE AS SPECIFIED, PLSE CHECK DISK SPACE.");
        }
        return complete;
    }

private:
    WorkFile& output_;
    OutputBlocks out_;
    FinalPass pass_;
    bool complete_ = true;
};

// Where the joined table goes while it is written: whole lines, each with its
// line end.
class TableTarget {
public:
    virtual ~TableTarget() = default;
    // The title and heading lines.
    virtual bool put_headings(std::string_view text) = 0;
    // One day's line.
    virtual bool put_line(std::string_view line) = 0;
    // False when the table could not be written.
    virtual bool finish() = 0;
};

// The table file, read back by the final pass or the MetaStock output.
class TableFile final : public TableTarget {
public:
    TableFile() : file_(open_file(table_path, "w")) {
        if (!file_) fatal_error(builder_profile, "UNABLE TO OPEN TEMPORARY FILE 'TEMP0001.QVT', CHECK DISK SPACE");
        use_table_buffer(file_.get(), buffer_);
    }
    bool put_headings(std::string_view text) override { return write(text); }
    bool put_line(std::string_view line) override { return write(line); }
    bool finish() override { return written_ && std::fflush(file_.get()) == 0; }

private:
    bool write(std::string_view text) {
        written_ = put(file_.get(), text) && written_;
        return written_;
    }

    std::vector<char> buffer_;  // declared before file_: it must outlive the stream
    FilePtr file_;
    bool written_ = true;
};

// Each line of `text` as the table file gives it back (see TableReader).
template <typename Take>
void for_each_table_line(std::string_view text, const Take& take) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        take(line);
    }
}

// A table handed straight to its output, without the table file: the heading
// and data lines are the ones the file would have given back.
class DirectTable final : public TableTarget {
public:
    using Take = std::function<void(std::string_view line)>;
    DirectTable(Take heading, Take data) : heading_(std::move(heading)), data_(std::move(data)) {}
    bool put_headings(std::string_view text) override {
        for_each_table_line(text, heading_);
        return true;
    }
    bool put_line(std::string_view line) override {
        for_each_table_line(line, data_);
        return true;
    }
    bool finish() override { return true; }

private:
    Take heading_;
    Take data_;
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
TableOutcome write_table(BuildRun& run, Preparation& prepared, BuildContext& context, TableTarget& table,
                         std::size_t& heading_lines, const std::string& output_name) {
    std::string headings;
    if (run.meta13) {
        headings = metastock_style_heading(prepared.inputs.front().line);
    } else {
        std::vector<std::string> lines;
        for (const PreparedInput& input : prepared.inputs) lines.push_back(input.line);
        static const HeadingTables unused;
        const HeadingTables& tables =
            run.settings.output_column_headings == 'Y' ? run.headings.tables_for(lines) : unused;
        if (!write_title_and_headings(headings, run.settings, lines, tables)) return TableOutcome::skipped;
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

    table.put_headings(headings);
    const char date_format = run.settings.output_date_format;
    std::string line;
    for (DayNumber day = context.first_day; day != no_date && day <= context.last_day;
         day = next_day(day, context, prepared)) {
        line.clear();
        append_output_date(line, lotus_to_date(day), date_format);
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
            table.put_line(line);
        }
        Console& screen = console();
        if (screen.key_waiting()) {
            screen.read_key();
            return TableOutcome::run_ends;
        }
    }
    if (!table.finish()) {
        fatal_error(builder_profile, "UNABLE TO OPEN TEMPORARY FILE 'TEMP0001.QVT', CHECK DISK SPACE");
    }
    return TableOutcome::complete;
}

// The ASCII output from the table file: the title and heading lines, then the
// lines the sampling period selects.
bool write_ascii_output(const BuildRun& run, WorkFile& output, std::size_t heading_lines, bool index_saturday) {
    std::vector<char> buffer;
    const FilePtr table = open_file(table_path, "r");
    if (!table) fatal_error(builder_profile, "UNABLE TO OPEN THE OUTPUT FILE AS SPECIFIED, PLSE CHECK DISK SPACE.");
    use_table_buffer(table.get(), buffer);
    AsciiLines lines(run, output, index_saturday);
    TableReader reader(table.get());
    std::string_view line;
    for (std::size_t i = 0; i < heading_lines && reader.next(line); ++i) lines.heading(line);
    while (reader.next(line) && lines.data(line)) {
    }
    return lines.end();
}

// An IDX input decides only by the last day it serves whether the final pass
// leaves Saturdays out, so an output with one goes through the table file;
// the others go straight from the inputs into the output.
bool has_index_input(const Preparation& prepared) {
    return std::any_of(prepared.inputs.begin(), prepared.inputs.end(),
                       [](const PreparedInput& input) { return input.input.series_class == SeriesClass::idx; });
}

BuildOutcome outcome_of(TableOutcome outcome) {
    return outcome == TableOutcome::skipped ? BuildOutcome::skipped : BuildOutcome::run_ends;
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
    if (prepared->ascii_output && !has_index_input(*prepared)) {
        AsciiLines lines(run, *prepared->ascii_output, false);
        DirectTable direct([&lines](std::string_view line) { lines.heading(line); },
                           [&lines](std::string_view line) { lines.data(line); });
        const TableOutcome outcome = write_table(run, *prepared, context, direct, heading_lines, output_name);
        if (outcome != TableOutcome::complete) return outcome_of(outcome);
        return lines.end() ? BuildOutcome::built : BuildOutcome::skipped;
    }
    if (prepared->metastock_output && !has_index_input(*prepared)) {
        // The series passes over the heading lines, as it does in the table file.
        MetastockOutput& output = *prepared->metastock_output;
        DirectTable direct([](std::string_view) {}, [&output](std::string_view line) { output.add_line(line); });
        const TableOutcome outcome = write_table(run, *prepared, context, direct, heading_lines, output_name);
        if (outcome != TableOutcome::complete) return outcome_of(outcome);
        return output.end_lines() ? BuildOutcome::built : BuildOutcome::skipped;
    }
    {
        TableFile table;
        const TableOutcome outcome = write_table(run, *prepared, context, table, heading_lines, output_name);
        if (outcome != TableOutcome::complete) return outcome_of(outcome);
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
