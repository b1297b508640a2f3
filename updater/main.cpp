#include "common/installation_lock.h"
#include "common/platform/process.h"
#include "common/start_up.h"
#include "updater/follow_up.h"
#include "updater/run.h"

// QUORUP takes no arguments; whatever its command line holds ("/M") is ignored.
int main(int argc, char** argv) {
    return qv::run_program(qv::updater_profile, argc, argv,
                           [](const auto&) {
                               qv::hold_installation(qv::updater_profile.program, true);
                               qv::updater::run_updater(qv::updater::replace_by_follow_up_batch);
                           });
}
