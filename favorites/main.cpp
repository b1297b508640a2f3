#include "common/start_up.h"
#include "favorites/run.h"

// MKPICKS takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::favorites_profile, argc, argv, [](const auto&) { qv::favorites::run_favorites(); });
}
