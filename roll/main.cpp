#include "common/start_up.h"
#include "roll/run.h"

int main() {
    return qv::run_program([] { qv::roll::run_roll(); });
}
