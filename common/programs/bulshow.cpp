// BULSHOW: the installation's bulletin viewer, here a plain one that prints the
// message file \QUORVANT\QUORUP.MSG, which the updater ends its run by showing.
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/install_files.h"

#include <string>

int main() {
    if (auto file = qv::open_file(qv::install::message_file, "rb")) {
        std::string line;
        while (qv::read_line(file.get(), line, 4096)) qv::console().write(line);
    }
    qv::console().flush();
    return 0;
}
