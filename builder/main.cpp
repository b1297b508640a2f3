#include "builder/start_up.h"

// DFORGE $BUILDFILE: builds the outputs a build file describes.
int main(int argc, char** argv) {
    const std::string_view build_file = argc > 1 ? argv[1] : "";
    return qv::run_program([&] { qv::builder::start_up(build_file); });
}
