#include "common/installation_lock.h"
#include "common/start_up.h"
#include "favorites/run.h"

// MKPICKS takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::favorites_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::favorites_profile.program);
        qv::favorites::run_favorites();
    });
}
