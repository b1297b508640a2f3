#pragma once

// The rollover report's run: its start screen, the commodity table and the
// holidays, then every commodity's roll status on today written to
// \QUORVANT\ROLLSHOW.TXT and \QUORVANT\ROLLPRNT.TXT.

#include <string_view>

namespace qv::roll {

void run_roll();

// Replaces both reports through work files. When either cannot be written,
// neither is replaced (ROLLSHOW.TXT is put in place first); each report is
// whole at every moment, old or new.
bool write_roll_reports(std::string_view show_text, std::string_view print_text);

}  // namespace qv::roll
