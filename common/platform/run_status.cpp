#include "common/platform/run_status.h"

#include "common/platform/environment.h"

namespace qv {

namespace {

bool failed = false;

// Set only between an exec and the start of the program it starts.
constexpr const char* handed_over_failure = "QUORVANT_FAILED_BEFORE";

}  // namespace

void note_failed_run() { failed = true; }

bool run_failed() { return failed; }

int run_exit_code() { return failed && env_flag("QUORVANT_EXIT_STATUS") ? 1 : 0; }

void pass_failure_on() {
    if (failed) set_env(handed_over_failure, "1");
}

void take_over_failure() {
    if (env_flag(handed_over_failure)) failed = true;
    unset_env(handed_over_failure);
}

}  // namespace qv
