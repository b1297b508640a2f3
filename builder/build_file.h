#pragma once

// Build files: the text files that tell the output builder what to build.
//
// Every line is upper-cased as it is read and loses its line end and trailing
// blanks. A comment line begins with "REM" and a blank or a colon; an option
// line with "#"; a blank line ends the block of the current output file. Any
// other line outside a block is an output line (an ASCII file or a MetaStock
// directory) that opens a block; inside a block it is an input line. A block
// is the output line, its option lines, one to ten input lines, and a blank
// line or the end of the file. Option lines between blocks apply to every
// later block.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/build_settings.h"
#include "common/platform/files.h"

namespace qv::builder {

enum class LineKind { blank, comment, option, other };

LineKind classify_line(std::string_view line);

// A build file whose name holds "$ROLL" (in any case) is the updater's list of
// the sets to relink after a contract roll-over.
bool is_roll_list(std::string_view build_file);

// The next line of a build file, whole however long it is, upper-cased and
// without its line end and trailing blanks. False at the end of the file.
bool read_build_line(std::FILE* file, std::string& line);

// The build file named on the command line: the program's arguments after its
// name. Exactly one, beginning with "$"; otherwise the program ends after
// "ERROR - NO SCRIPT FILE SPECIFIED" or "ERROR - INVALID SCRIPT FILE = %s",
// with the hint below on standard error.
std::string build_file_argument(const std::vector<std::string_view>& arguments);

// The line that tells a Linux user how to name a build file and where it is
// looked for (the real folder of \QUORVANT\AUTO\).
std::string build_file_hint();

// Opens the build file by its name and, failing that, under \QUORVANT\AUTO\;
// null after "UNABLE TO LOCATE AUTO BUILD FILE@" and the name.
FilePtr open_build_file(std::string_view name);

// Whether an ASCII output file may be written: always when it does not exist
// or OVERWRITEOUTPUTFILE is Y; with N only when the user answers Y to
// "WARNING!! OUTPUT FILE EXISTS, OVERWRITE IT? (Y OR N):". The file is not
// opened here, so an answer of No leaves it as it was.
bool may_write_output(const BuildSettings& settings, std::string_view path);

}  // namespace qv::builder
