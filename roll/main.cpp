#include "roll/start_up.h"

// roll takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::roll_profile, argc, argv, [](const auto&) { qv::roll::start_up(); });
}
