#include "common/installation_lock.h"
#include "common/start_up.h"
#include "request/run.h"

// PREQUOR takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::request_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::request_profile.program);
        qv::request::run_request();
    });
}
