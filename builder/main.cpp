#include "common/installation_lock.h"
#include "builder/driver.h"
#include "common/start_up.h"

// DFORGE $BUILDFILE: builds the outputs a build file describes.
int main(int argc, char** argv) {
    return qv::run_program(qv::builder_profile, argc, argv,
                           [](const auto& arguments) {
                               qv::hold_installation(qv::builder_profile.program);
                               qv::builder::run_builder(arguments);
                           });
}
