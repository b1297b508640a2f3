#pragma once

// The option sets of the broadcast's work file AUTOBLDX.TMP: one output's
// block of a build file. A set is a run of lines ended by a line shorter than
// 3 characters or by the end of the file: option lines ("#") that change the
// build settings as the builder applies them, comment lines ("REM", "%", "$")
// and up to 11 other lines, the output line and then its input lines.
//
// The work file holds the listed build files one after the other, each after
// an empty line and a line with its name. Each build file starts from the
// build map's settings, as the builder starts each build file from them.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/build_settings.h"

namespace qv {

struct OptionSet {
    BuildSettings settings;            // as the set's option lines leave them
    std::string output;                // the output line
    std::vector<std::string> inputs;   // upper case
};

enum class SetRead { set, end, error };

class OptionSetReader {
public:
    // `names`: the build file names of the work file's name lines.
    OptionSetReader(std::FILE* work_file, const BuildSettings& defaults, std::vector<std::string> names);

    // The next set with an output line. An error's message has been written
    // to the message file; it ends the broadcast.
    SetRead next(OptionSet& set);

private:
    std::FILE* file_;
    const BuildSettings& defaults_;
    std::vector<std::string> names_;
    BuildSettings settings_;
};

inline constexpr std::size_t set_line_limit = 11;

// The MetaStock expansion of a set with one input line of one field term F:
// four columns "F,F,F,F*0.0", so that the series' high, low and close take F
// and its volume is 0, as the builder fills a series of one column.
void expand_single_field(OptionSet& set);

}  // namespace qv
