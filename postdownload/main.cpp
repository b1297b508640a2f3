#include "common/installation_lock.h"
#include "common/tool.h"
#include "postdownload/start_up.h"

int main() {
    return qv::run_program([] {
        qv::hold_installation(qv::postdownload_profile.program);
        qv::postdownload::start_up();
    });
}
