#include "common/installation_lock.h"
#include "common/start_up.h"
#include "postdownload/post_download.h"

// POSTQUOR takes no arguments.
int main(int argc, char** argv) {
    return qv::run_program(qv::postdownload_profile, argc, argv, [](const auto&) {
        qv::hold_installation(qv::postdownload_profile.program);
        qv::postdownload::run_postdownload(qv::postdownload::postdownload_steps());
    });
}
