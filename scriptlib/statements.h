// The statement executor: structure keywords, commands and expression
// statements, tracked on the control stack while lines are read in order.
#pragma once

#include <cstdint>

#include "scriptlib/instance.h"

namespace qsl {

// Where the statement lies and where the next line starts.
struct Place {
    uint32_t line_start;  // buffer offset of the line's first character
    bool substituted;     // the line was changed by substitution
    uint32_t next;        // in: the next line's offset; out: where to go on
};

// Executes the statement at offset stmt of the instance's line:
// 1 continue, -1 end of this script. Errors are thrown.
int execute_statement(Context& c, int stmt, Place& place);

}  // namespace qsl
