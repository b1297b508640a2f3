// qbatch FILE: runs a batch file line by line with the suite's command
// interpreter. The tools exec it to run a batch file in place of themselves.
#include "common/installation_lock.h"
#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/platform/program_end.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        qv::console().write("USAGE: qbatch BATCHFILE\n");
        return 0;
    }
    try {
        // The batch file's programs share the lock that qbatch holds, or that
        // the program which ran qbatch in its place holds already.
        qv::hold_installation("qbatch");
        qv::CommandInterpreter interpreter;
        interpreter.run_batch(argv[1]);
    } catch (const qv::ProgramEnd&) {
    }
    qv::console().flush();
    return 0;
}
