#include "common/installation_lock.h"
#include "common/start_up.h"
#include "distributor/run.h"

// DFANOUT: distributes the waiting individual-contract update files.
int main(int argc, char** argv) {
    return qv::run_program(qv::distributor_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::distributor_profile.program);
        qv::distributor::run_distributor(qv::distributor::distributor_steps());
    });
}
