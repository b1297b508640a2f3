#include "common/installation_lock.h"
#include "common/tool.h"
#include "favorites/start_up.h"

int main() {
    return qv::run_program([] {
        qv::hold_installation(qv::favorites_profile.program);
        qv::favorites::start_up();
    });
}
