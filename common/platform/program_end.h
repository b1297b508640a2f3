#pragma once

namespace qv {

// "End the program with exit code 0" from anywhere in shared code. A tool's
// main catches it and returns; destructors close every file on the way.
struct ProgramEnd {
    int exit_code = 0;
};

}  // namespace qv
