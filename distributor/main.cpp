#include "common/start_up.h"
#include "distributor/run.h"

int main() {
    return qv::run_program([] { qv::distributor::run_distributor(qv::distributor::distributor_steps()); });
}
