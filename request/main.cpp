#include "common/start_up.h"
#include "request/run.h"

int main() {
    return qv::run_program([] { qv::request::run_request(); });
}
