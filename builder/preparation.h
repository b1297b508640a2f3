#pragma once

// The preparation of one output file, before its table is built: the inputs
// and their files, the output range, and the output itself (the MetaStock
// series, or the ASCII file checked and its work file opened). A preparation
// that fails has shown its message, or deleted the output file silently when
// an input file is missing, and the output file is skipped.

#include <optional>
#include <string>
#include <vector>

#include "builder/headings.h"
#include "builder/input_line.h"
#include "builder/metastock_output.h"
#include "builder/series.h"
#include "common/build_settings.h"
#include "common/holidays.h"
#include "common/tables.h"
#include "common/platform/work_file.h"

namespace qv::builder {

// What the run loads once and every output file uses.
struct BuildRun {
    BuildSettings settings;  // as the option lines read so far left them
    CommodityTable commodities;
    HolidayTable holidays;
    HeadingFiles headings;
    bool meta13 = false;     // \QUORVANT\META13.TXT exists: MetaStock-style headings
};

// A block of the build file: the output line and the input lines, as read.
struct Block {
    std::string output_name;
    std::vector<std::string> input_lines;
};

struct PreparedInput {
    std::string line;
    InputLine input;
    std::string path;  // the file the series is read from
};

struct Preparation {
    std::vector<PreparedInput> inputs;
    // ASCII: the work file beside the output file that takes its place once the
    // output is complete, so that a build stopped half way leaves the previous
    // output file as it was.
    std::optional<WorkFile> ascii_output;
    std::optional<MetastockOutput> metastock_output;
};

// The file an input's series is read from: a name with a colon or a backslash,
// or of an ASCII input, as it stands; a database series in its class's folder
// of the installation, with ".QVT" when the name has none.
std::string input_path(const InputLine& input);

// The work file that replaces the ASCII output file `output_name`: in the same
// folder, so that the replacement is one rename.
std::string output_work_path(std::string_view output_name);

// Prepares the output file `output_name` (its contract already substituted).
// Sets the output range in `context`. Nothing when the output file is skipped.
std::optional<Preparation> prepare_output(const BuildRun& run, const Block& block, const std::string& output_name,
                                          bool name_substituted, BuildContext& context);

}  // namespace qv::builder
