#pragma once

// The validation pass: the whole build file is checked before anything is
// built, and the first fault found is shown on the warning screen. Nothing is
// built after such a message, and no setting is changed by the pass.

#include <cstdio>
#include <string_view>

namespace qv::builder {

enum class Validation {
    sound,  // every block can be built
    fault,  // a message was shown: the run ends without building
    empty,  // no output line: "AUTO BUILD FILE %s IS EMPTY?" was shown
};

inline constexpr int most_input_lines = 10;

// Reads the build file from where it stands to its end. A file whose last line
// is a comment line ends the program with "ERROR-AUTO BUILD FILE MUST NOT END
// WITH 'REM' LINE".
Validation validate_build_file(std::FILE* file, std::string_view name);

}  // namespace qv::builder
