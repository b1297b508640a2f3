// qbatch FILE: runs a batch file line by line with the suite's command
// interpreter. The tools exec it to run a batch file in place of themselves.
#include <string>

#include "common/installation_lock.h"
#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/start_up.h"

int main(int argc, char** argv) {
    return qv::run_program(qv::qbatch_about, argc, argv, [](const auto& arguments) {
        if (arguments.empty()) {
            qv::console().write("USAGE: qbatch BATCHFILE\n");
            return;
        }
        // The batch file's programs share the lock that qbatch holds, or that
        // the program which ran qbatch in its place holds already.
        qv::hold_installation("qbatch");
        qv::CommandInterpreter interpreter;
        interpreter.run_batch(std::string(arguments.front()));
    });
}
