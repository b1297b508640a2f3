#include "common/installation_lock.h"
#include "clcconv/clcconv.h"
#include "clcconv/start_up.h"

#include <string>
#include <vector>

// clcconv [/1 | /2] [/TAG ...]: converts CLC database files to ASCII and back.
int main(int argc, char** argv) {
    return qv::run_program(qv::clcconv_profile, argc, argv, [](const auto& arguments) {
        qv::hold_installation(qv::clcconv_profile.program);
        const std::vector<std::string> args(arguments.begin(), arguments.end());
        qv::clcconv::run(args, qv::clcconv::start_up().commodities);
    });
}
