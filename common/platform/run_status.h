#pragma once

namespace qv {

// How a run ended, for schedulers. The suite's programs end with exit code 0
// on every path; with QUORVANT_EXIT_STATUS=1 a run that ended on a fatal error,
// a merge problem or a skipped output ends with 1 instead, so that a cron job
// can tell a failed night.

// Records that this run failed. A failure of a program this one waited for,
// and of the program that handed its process over to this one, counts too.
void note_failed_run();

bool run_failed();

// The exit code of this run: 1 only when it failed and QUORVANT_EXIT_STATUS=1
// asks for it, else 0.
int run_exit_code();

// Before an exec hands the process over (to qbatch), the failure so far is
// passed on in the environment; the new program takes it over at its start.
void pass_failure_on();
void take_over_failure();

}  // namespace qv
