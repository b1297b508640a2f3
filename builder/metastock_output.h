#pragma once

// The builder's MetaStock output (OUTPUTFORMAT M): the joined output table goes
// into a series of a MetaStock directory instead of an ASCII file. The output
// name is the directory (up to its last backslash or colon) and the symbol.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "builder/input_line.h"
#include "common/build_settings.h"
#include "common/holidays.h"
#include "common/metastock.h"
#include "common/tables.h"

namespace qv::builder {

// What the MetaStock output needs to know of the block it builds.
struct MetastockBlock {
    const BuildSettings& settings;          // as the block's option lines left them
    const CommodityTable& commodities;
    const HolidayTable& holidays;
    std::string output_name;                // after contract substitution
    bool name_substituted = false;          // a month or year was put into the name
    std::optional<InputLine> first_input;   // the block's first and last input lines
    std::optional<InputLine> last_input;
};

class MetastockOutput {
public:
    // Prepares the series while the output file is prepared: reads MASTER (or
    // makes the directory), finds the series by symbol and time frame or
    // allocates one, asking the questions the settings call for. Nothing when
    // this output file is skipped (a message has been shown or the answer was
    // No).
    static std::optional<MetastockOutput> prepare(const MetastockBlock& block);

    // Writes the series from the finished output table: the data file by the
    // sampling period (the final pass), the series record, MASTER and the DOP
    // file. `index_saturday` as for the final pass. False after a message.
    bool write(std::string_view table_path, bool index_saturday);

    // The same from the table's data lines as they are made, for a table
    // without IDX inputs (whose Saturday rule is known only at its end): each
    // data line in turn (the heading lines are not given), then end_lines,
    // which answers as write does. Once a line has been refused, add_line
    // answers false. The data file is written through a work file that takes
    // the old file's place only in end_lines: a build that stops before it
    // leaves the series as it was.
    bool add_line(std::string_view line);
    bool end_lines();

    ~MetastockOutput();
    MetastockOutput(MetastockOutput&&) noexcept;
    MetastockOutput& operator=(MetastockOutput&&) noexcept;

    // The parts of an output name: the directory, up to and including its
    // last backslash, slash or colon (empty when there is none), and the
    // symbol after it.
    struct NameParts {
        std::string directory;
        std::string symbol;
    };
    static NameParts split_output_name(std::string_view output_name);

    // The time frame of the series by SAMPLINGPERIOD: D daily; W, K and 1 to
    // 6 weekly; M, H and B monthly.
    static char time_frame(char sampling_period);

    // The security name of a new series (see prepare).
    static std::string security_name(const MetastockBlock& block, std::string_view symbol);

private:
    MetastockOutput();

    // The data file being written and the final pass feeding it.
    struct Writing;
    // Opens the data file with the field count the table's first data line
    // calls for (none: an empty table); false after a message.
    bool open_series(const std::string_view* first_line, bool index_saturday);
    // The end of the table: the data file put in place, the series record,
    // MASTER and the DOP file; false after a message.
    bool finish_series();

    BuildSettings settings_;
    const HolidayTable* holidays_ = nullptr;
    std::string directory_;  // as MetaStock paths are made from it; never empty
    std::string symbol_;
    MetaStockMaster master_;
    std::size_t series_ = 0;  // the series record in master_
    int decimals_ = 5;        // announced in the DOP file
    std::unique_ptr<Writing> writing_;
    bool stopped_ = false;    // a line was refused or the series could not be opened
};

}  // namespace qv::builder
