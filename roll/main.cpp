#include "common/installation_lock.h"
#include "common/tool.h"
#include "roll/start_up.h"

int main() {
    return qv::run_program([] {
        qv::hold_installation(qv::roll_profile.program);
        qv::roll::start_up();
    });
}
