#include "common/installation_lock.h"
#include "common/tool.h"
#include "request/start_up.h"

int main() {
    return qv::run_program([] {
        qv::hold_installation(qv::request_profile.program);
        qv::request::start_up();
    });
}
