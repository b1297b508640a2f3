#include "request/start_up.h"

int main() {
    return qv::run_program([] { qv::request::start_up(); });
}
