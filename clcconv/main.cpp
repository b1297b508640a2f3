#include "common/installation_lock.h"
#include "common/tool.h"
#include "clcconv/clcconv.h"
#include "clcconv/start_up.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qv::run_program([&] {
        qv::hold_installation(qv::clcconv_profile.program);
        qv::clcconv::run(args, qv::clcconv::start_up().commodities);
    });
}
