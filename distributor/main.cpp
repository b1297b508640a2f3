#include "common/installation_lock.h"
#include "common/tool.h"
#include "common/start_up.h"
#include "distributor/run.h"

int main() {
    return qv::run_program([] {
        qv::hold_installation(qv::distributor_profile.program);
        qv::distributor::run_distributor(qv::distributor::distributor_steps());
    });
}
