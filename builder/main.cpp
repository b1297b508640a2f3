#include <string_view>
#include <vector>

#include "common/installation_lock.h"
#include "common/tool.h"
#include "builder/driver.h"
#include "common/start_up.h"

// DFORGE $BUILDFILE: builds the outputs a build file describes.
int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return qv::run_program([&] {
        qv::hold_installation(qv::builder_profile.program);
        qv::builder::run_builder(arguments);
    });
}
