// CONQUIT: the installation's console closer. There is no console window to
// close on Linux, so it does nothing and lets its caller go on.
#include "common/start_up.h"

int main(int argc, char** argv) {
    return qv::run_program(qv::conquit_about, argc, argv, [](const auto&) {});
}
