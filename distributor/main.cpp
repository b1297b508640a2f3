#include "distributor/start_up.h"

int main() {
    return qv::run_program([] { qv::distributor::start_up(); });
}
