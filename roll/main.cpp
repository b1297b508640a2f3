#include "common/installation_lock.h"
#include "common/start_up.h"
#include "roll/run.h"

// roll takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::roll_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::roll_profile.program);
        qv::roll::run_roll();
    });
}
