#include "common/installation_lock.h"

#include <string>

#include "common/install_files.h"
#include "common/messages.h"
#include "common/platform/console.h"
#include "common/platform/run_status.h"
#include "common/platform/installation_lock.h"
#include "common/platform/paths.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"

namespace qv {

namespace {

std::string refusal(std::string_view program, LockOutcome outcome) {
    const std::string folder = install_root().string();
    if (outcome == LockOutcome::busy)
        return format("ANOTHER PROGRAM OF THE SUITE IS WORKING ON %s,@%s CHANGED NOTHING: RUN IT AGAIN WHEN THAT "
                      "PROGRAM HAS ENDED.",
                      folder.c_str(), std::string(program).c_str());
    return format("CANNOT CREATE THE LOCK FILE QUORVANT.LCK IN %s (READ-ONLY?),@%s CHANGED NOTHING.",
                  folder.c_str(), std::string(program).c_str());
}

}  // namespace

void hold_installation(std::string_view program, bool record_in_message_file) {
    const LockOutcome outcome = hold_installation_lock(translate_path(install::lock_file), installation_lock_wait());
    if (outcome == LockOutcome::taken || outcome == LockOutcome::inherited) return;
    const std::string text = refusal(program, outcome);
    const std::size_t at = text.find('@');
    console().write("\n" + text.substr(0, at) + "\n" + text.substr(at + 1) + "\n");
    if (record_in_message_file && outcome == LockOutcome::busy) append_message(text);
    note_failed_run();
    throw ProgramEnd{};
}

}  // namespace qv
