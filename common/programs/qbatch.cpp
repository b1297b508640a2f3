// qbatch FILE: runs a batch file line by line with the suite's command
// interpreter. The tools exec it to run a batch file in place of themselves.
#include <string>

#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/start_up.h"

int main(int argc, char** argv) {
    return qv::run_program(qv::qbatch_about, argc, argv, [](const auto& arguments) {
        if (arguments.empty()) {
            qv::console().write("USAGE: qbatch BATCHFILE\n");
            return;
        }
        qv::CommandInterpreter interpreter;
        interpreter.run_batch(std::string(arguments.front()));
    });
}
