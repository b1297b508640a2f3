#include "request/start_up.h"

// PREQUOR takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::request_profile, argc, argv, [](const auto&) { qv::request::start_up(); });
}
