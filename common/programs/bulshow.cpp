// BULSHOW: the installation's bulletin viewer, here a plain one that prints the
// message file \QUORVANT\QUORUP.MSG, which the updater ends its run by showing.
#include "common/install_files.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/start_up.h"

#include <string>

int main(int argc, char** argv) {
    return qv::run_program(qv::bulshow_about, argc, argv, [](const auto&) {
        if (auto file = qv::open_file(qv::install::message_file, "rb")) {
            std::string line;
            while (qv::read_line(file.get(), line, 4096)) qv::console().write(line);
        }
    });
}
