#pragma once

// The final pass: the lines of the joined output table that an output file
// receives, by SAMPLINGPERIOD. D takes every line; W and 1 to 6 a weekly
// sample on a target weekday; M the last line of each month; K, H and B join
// the lines into weekly, monthly or block bars of open, high, low, close and
// optionally volume and open interest. Lines dated on a Saturday are left out
// when the table's index inputs leave Saturday filtering on. The ASCII output
// and the MetaStock output both select their lines here.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/build_settings.h"
#include "common/holidays.h"

namespace qv::builder {

// Receives each selected line (date text and columns, without a line end);
// false when it could not be written, which ends the pass.
using LineSink = std::function<bool(std::string_view line)>;

class FinalPass {
public:
    // `index_saturday` is the flag the table's IDX inputs left (see
    // BuildContext): it makes W aim at Saturdays and, with
    // IDXINCLUDESATTRADING N, leaves Saturday lines out.
    FinalPass(const BuildSettings& settings, const HolidayTable& holidays, bool index_saturday, LineSink sink);

    // The next data line of the table, in date order. False when the pass
    // must stop: a bar line with too few or too many columns (its message has
    // been shown) or a line the sink could not write.
    bool add(std::string_view line);

    // The end of the table: writes what the period holds back (the open bar,
    // a last monthly or Thursday line). False as for add().
    bool finish();

private:
    // Defined with the pass.
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace qv::builder
