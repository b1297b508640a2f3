#include "common/platform/process.h"
#include "common/start_up.h"
#include "updater/run.h"

// QUORUP takes no arguments; whatever its command line holds ("/M") is ignored.
int main() {
    return qv::run_program([] { qv::updater::run_updater(qv::replace_by_batch); });
}
