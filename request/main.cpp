#include "common/start_up.h"
#include "request/run.h"

// PREQUOR takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::request_profile, argc, argv, [](const auto&) { qv::request::run_request(); });
}
