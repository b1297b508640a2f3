#include "common/installation_lock.h"
#include "postdownload/start_up.h"

// POSTQUOR takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::postdownload_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::postdownload_profile.program);
        qv::postdownload::start_up();
    });
}
