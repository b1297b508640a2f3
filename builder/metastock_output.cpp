#include "builder/metastock_output.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "builder/final_pass.h"
#include "builder/headings.h"
#include "builder/output_table.h"
#include "common/install_files.h"
#include "common/calendar.h"
#include "common/platform/files.h"
#include "common/make_directories.h"
#include "common/mbf.h"
#include "common/messages.h"
#include "common/metastock_data.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/platform/work_file.h"

namespace qv::builder {

namespace {

constexpr std::size_t symbol_length = 14;
// The header of F%d.DAT counts its data records + 1 in 16 bits.
constexpr std::size_t most_counted_records = 0xFFFF - 1;

constexpr std::string_view no_directory_question =
    "ARE YOU SURE YOU WANT TO BUILD THIS FILE@IN THE QUORVANT DIRECTORY?? (Y or N):";
constexpr std::string_view overwrite_question = "WARNING-OUTPUT FILE EXISTS, OVERWRITE IT? (Y or N):";

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The linking letter that ends the security name of a linked CLC series.
char linking_letter(char method) {
    switch (method) {
        case '1': return 'N';
        case '2': return 'F';
        case '3': return 'R';
        case '4': return '%';
        default: return method;
    }
}

// The columns of a table line: runs of characters other than the separator
// (blank-padded values under the blank separator stay one column each), into
// `columns`.
void split_columns(std::string_view text, char separator, std::vector<std::string_view>& columns) {
    columns.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == separator) {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(separator, at), text.size());
        columns.push_back(text.substr(at, end - at));
        at = end;
    }
}

// A column's value as strtod reads it. A plain number, what the builder's
// columns hold, is read by from_chars, which rounds as strtod does, without
// a copy of the text; anything else (blanks in front, a + sign, hex, text)
// is left to strtod itself.
double column_value(std::string_view column) {
    double value = 0.0;
    const char* const end = column.data() + column.size();
    const auto [stop, error] = std::from_chars(column.data(), end, value);
    if (error == std::errc() && stop == end) return value;
    return std::strtod(std::string(column).c_str(), nullptr);
}

// The lines the driver writes above the data of the output table: the
// MetaStock-style heading when META13.TXT exists, else the title line when a
// title is set and the heading line when headings are asked for.
int heading_line_count(const BuildSettings& settings) {
    if (meta13_present()) return 1;
    return (settings.first_line_title.empty() ? 0 : 1) + (settings.output_column_headings == 'Y' ? 1 : 0);
}

// The field count, the date included, of a series whose table's first data
// line has `columns` columns: 5 or 7, always 7 for bars; 0 for more than 7.
int field_count_for(std::size_t columns, char sampling_period) {
    if (columns > static_cast<std::size_t>(max_metastock_fields)) return 0;
    const char period = upper(sampling_period);
    if (period == 'K' || period == 'H' || period == 'B') return 7;
    return columns <= 5 ? 5 : 7;
}

// Writes F%d.DAT record by record through a work file, which takes the old
// file's place only once the whole series is written: a build that stops
// half-way leaves the old series as it was.
class DatWriter {
public:
    DatWriter(const std::string& directory, int file_number, int field_count, char date_format, char separator)
        : path_(metastock_path(directory, dat_file_name(file_number))),
          work_(metastock_path(directory, "TEMP_MS.QVT"), path_),
          field_count_(field_count),
          date_format_(date_format),
          separator_(separator) {
        if (metastock_write_protected(path_)) work_.abandon();
        if (work_.is_open()) put_record(Record{});
    }

    bool is_open() const { return work_.is_open(); }
    const std::string& path() const { return path_; }
    int field_count() const { return field_count_; }

    enum class Result { ok, bad_date, too_large, too_many };

    // One record from a table line: the date, then field count - 1 values.
    Result add(std::string_view line) {
        const auto date = read_output_date(line, date_format_);
        if (!date) return Result::bad_date;
        if (written_ == most_counted_records) return Result::too_many;
        const std::size_t date_length = date_text_length(date_format_);
        split_columns(line.size() > date_length ? line.substr(date_length) : std::string_view(), separator_,
                      columns_);

        std::array<double, max_metastock_fields - 1> values{};
        const std::size_t value_count = static_cast<std::size_t>(field_count_ - 1);
        const std::size_t given = std::min(columns_.size(), value_count);
        for (std::size_t i = 0; i < given; ++i) values[i] = column_value(columns_[i]);
        // A series of fewer than four values is a close (or high, low and
        // close): the last value stands for the missing prices, the volume is 0.
        if (given > 0 && given < 4) {
            for (std::size_t i = given; i < 3; ++i) values[i] = values[given - 1];
            values[3] = 0;
        }

        const long number = metastock_date(date->year, date->month, date->day);
        Record record{};
        if (!float_to_mbf(static_cast<float>(number), record.data())) return Result::too_large;
        bool all_zero = true;
        for (std::size_t i = 0; i < value_count; ++i) {
            if (!(std::fabs(values[i]) <= std::numeric_limits<float>::max())) return Result::too_large;
            const float value = static_cast<float>(values[i]);
            // A zero is four zero bytes rather than the MBF form of zero.
            if (value == 0) continue;
            all_zero = false;
            if (!float_to_mbf(value, &record[4 * (i + 1)])) return Result::too_large;
        }
        put_record(record);
        ++written_;
        if (written_ == 1) first_date_ = number;
        if (all_zero) {
            ++trailing_zero_;
        } else {
            trailing_zero_ = 0;
            last_date_ = number;
        }
        return Result::ok;
    }

    // The records counted in the header: trailing all-zero records stay in the
    // file but are not part of the series.
    std::size_t counted() const { return written_ - trailing_zero_; }
    long first_date() const { return counted() == 0 ? 0 : first_date_; }
    long last_date() const { return counted() == 0 ? 0 : last_date_; }

    // Writes the header's count and puts the file in place.
    bool commit() {
        const std::size_t last = counted() + 1;
        const std::uint8_t count[4] = {0, 0, static_cast<std::uint8_t>(last & 0xFF),
                                       static_cast<std::uint8_t>(last >> 8)};
        if (std::fseek(work_.file(), 0, SEEK_SET) != 0 || std::fwrite(count, 1, 4, work_.file()) != 4) {
            work_.abandon();
            return false;
        }
        return work_.commit();
    }

private:
    using Record = std::array<std::uint8_t, 4 * max_metastock_fields>;

    std::size_t record_length() const { return 4 * static_cast<std::size_t>(field_count_); }
    // The record's first record_length() bytes.
    void put_record(const Record& record) { std::fwrite(record.data(), 1, record_length(), work_.file()); }

    std::string path_;
    WorkFile work_;
    int field_count_;
    char date_format_;
    char separator_;
    std::size_t written_ = 0;
    std::size_t trailing_zero_ = 0;
    long first_date_ = 0;
    long last_date_ = 0;
    std::vector<std::string_view> columns_;  // of the line added last
};

}  // namespace

MetastockOutput::NameParts MetastockOutput::split_output_name(std::string_view output_name) {
    MetaStockName parts = split_metastock_name(output_name);
    return {std::move(parts.directory), std::move(parts.symbol)};
}

char MetastockOutput::time_frame(char sampling_period) { return metastock_time_frame(sampling_period); }

// A series of a linked CLC contract is named after its commodity and linking
// method; any other series, and one whose name carries a
// contract month or year, after its symbol.
std::string MetastockOutput::security_name(const MetastockBlock& block, std::string_view symbol) {
    const bool linked_clc = block.first_input && block.first_input->series_class == SeriesClass::clc &&
                            !block.name_substituted;
    if (!linked_clc) return std::string(symbol.substr(0, symbol_length));
    std::string name;
    if (const Commodity* commodity = symbol.size() >= 2 ? block.commodities.find(symbol.substr(0, 2)) : nullptr) {
        // The mynames row is the tag, a blank and the name: eleven characters
        // of the name, blank padded as the table keeps it ("SOYBEANS   -R"),
        // the form the series of earlier builds carry.
        name = commodity->name.size() > 3 ? commodity->name.substr(3, 11) : std::string();
        name.resize(11, ' ');
    } else {
        name = std::string(symbol.substr(0, 2));
    }
    name += '-';
    name += linking_letter(block.settings.clc_linking_method);
    return name;
}

std::optional<MetastockOutput> MetastockOutput::prepare(const MetastockBlock& block) {
    const NameParts parts = split_output_name(block.output_name);
    if (parts.symbol.empty()) {
        message(builder_profile, " ERROR-OUTPUT FILE NAME NOT SPECIFIED.");
        return std::nullopt;
    }
    MetastockOutput output;
    output.settings_ = block.settings;
    output.holidays_ = &block.holidays;
    output.symbol_ = parts.symbol.substr(0, symbol_length);
    if (parts.directory.empty()) {
        if (!ask_yes_no(no_directory_question)) return std::nullopt;
        // The builder runs in the install folder.
        output.directory_ = std::string(install::root);
    } else {
        output.directory_ = parts.directory;
    }

    MasterReadResult read = read_master(output.directory_);
    switch (read.status) {
        case MasterReadResult::ok: break;
        case MasterReadResult::damaged: message(builder_profile, read.message); return std::nullopt;
        case MasterReadResult::missing:
            if (!parts.directory.empty() && make_directories(block.output_name, builder_profile) != 0)
                return std::nullopt;
            break;
    }
    output.master_ = std::move(read.master);

    const char frame = time_frame(block.settings.sampling_period);
    if (const auto found = find_series(output.master_, output.symbol_, frame)) {
        if (upper(block.settings.overwrite_output_file) == 'N' && !ask_yes_no(overwrite_question)) return std::nullopt;
        output.series_ = *found;
    } else {
        const Allocation allocation =
            allocate_series(output.master_, security_name(block, output.symbol_), output.symbol_, frame);
        switch (allocation.status) {
            case Allocation::ok: break;
            case Allocation::full: message(builder_profile, builder_full_message); return std::nullopt;
            case Allocation::no_free_number: message(builder_profile, no_free_number_message); return std::nullopt;
        }
        output.series_ = allocation.index;
    }

    if (block.last_input && block.last_input->series_class == SeriesClass::clc) {
        const auto tag = clc_tag(block.last_input->series);
        if (const Commodity* commodity = tag ? block.commodities.find(*tag) : nullptr)
            output.decimals_ = commodity->compu_trac;
    }
    return output;
}

struct MetastockOutput::Writing {
    Writing(const MetastockOutput& output, int file_number, int field_count, char separator, bool index_saturday)
        : dat(output.directory_, file_number, field_count, output.settings_.output_date_format, separator),
          pass(output.settings_, *output.holidays_, index_saturday,
               [this, symbol = output.symbol_](std::string_view selected) { return take(selected, symbol); }) {}

    // A line the final pass selected, into the data file; false after a message.
    bool take(std::string_view selected, const std::string& symbol) {
        switch (dat.add(selected)) {
            case DatWriter::Result::ok: return true;
            case DatWriter::Result::bad_date: message(builder_profile, bad_output_date_message); break;
            case DatWriter::Result::too_large:
                message(builder_profile, format("ERROR-A PRICE OR VOLUME OF %s IS TOO LARGE@FOR A METASTOCK FILE, "
                                                "BYPASSING IT.",
                                                symbol.c_str()));
                break;
            case DatWriter::Result::too_many:
                message(builder_profile, format("ERROR-METASTOCK SECURITY %s HOLDS@TOO MANY DAYS TO BE WRITTEN, "
                                                "BYPASSING IT.",
                                                symbol.c_str()));
                break;
        }
        refused = true;
        return false;
    }

    DatWriter dat;
    FinalPass pass;
    bool refused = false;
};

MetastockOutput::MetastockOutput() = default;
MetastockOutput::~MetastockOutput() = default;
MetastockOutput::MetastockOutput(MetastockOutput&&) noexcept = default;
MetastockOutput& MetastockOutput::operator=(MetastockOutput&&) noexcept = default;

bool MetastockOutput::open_series(const std::string_view* first_line, bool index_saturday) {
    const char separator = settings_.column_separator();
    std::vector<std::string_view> first_columns;
    if (first_line) split_columns(*first_line, separator, first_columns);
    const std::size_t columns = first_columns.size();
    const int field_count = field_count_for(columns, settings_.sampling_period);
    if (field_count == 0) {
        message(builder_profile, format("YOU HAVE SPECIFIED %d FIELDS TOO MANY,@METASTOCK ONLY ALLOWS 4 OR 6 (5 OR 7 "
                                        "INCLUDING DATE)",
                                        static_cast<int>(columns) - max_metastock_fields));
        return false;
    }
    writing_ = std::make_unique<Writing>(*this, master_.records[series_].file_number(), field_count, separator,
                                         index_saturday);
    if (!writing_->dat.is_open())
        fatal_error(builder_profile, format("UNABLE TO CREATE THE DAT FILE %s.", writing_->dat.path().c_str()));
    return true;
}

bool MetastockOutput::finish_series() {
    // A pass stopped by a bad line leaves the old series as it was.
    Writing& writing = *writing_;
    if (!writing.pass.finish() || writing.refused) return false;
    if (!writing.dat.commit())
        fatal_error(builder_profile, "UNABLE TO CREATE THE METASTOCK DAT FILE@PLEASE CHECK DISK SPACE.");
    MasterRecord& series = master_.records[series_];
    series.set_field_count(writing.dat.field_count());
    series.set_first_date(writing.dat.first_date());
    series.set_last_date(writing.dat.last_date());
    stamp_master(master_);
    if (!write_master(directory_, master_)) fatal_error(builder_profile, master_write_message);
    if (!write_dop(directory_, series.file_number(), writing.dat.field_count(), decimals_))
        fatal_error(builder_profile, "UNABLE TO CREATE THE METASTOCK DOP FILE@PLEASE CHECK DISK SPACE.");
    return true;
}

bool MetastockOutput::write(std::string_view table_path, bool index_saturday) {
    FilePtr table = open_file(table_path, "r");
    if (!table) fatal_error(builder_profile, format("UNABLE TO FIND THE TEMPORARY FILE %s??", std::string(table_path).c_str()));

    TableReader reader(table.get());
    std::string_view line;
    bool have_line = false;
    for (int skip = heading_line_count(settings_); skip >= 0; --skip) have_line = reader.next(line);
    if (!open_series(have_line ? &line : nullptr, index_saturday)) return false;

    bool passed = true;
    while (passed && have_line) {
        passed = writing_->pass.add(line);
        have_line = reader.next(line);
    }
    table.reset();
    return passed && finish_series();
}

bool MetastockOutput::add_line(std::string_view line) {
    if (stopped_) return false;
    if (!writing_ && !open_series(&line, false)) {
        stopped_ = true;
        return false;
    }
    stopped_ = !writing_->pass.add(line);
    return !stopped_;
}

bool MetastockOutput::end_lines() {
    if (stopped_ || (!writing_ && !open_series(nullptr, false))) return false;
    return finish_series();
}

}  // namespace qv::builder
