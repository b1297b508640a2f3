#include "clcconv/start_up.h"

int main() {
    return qv::run_program([] { qv::clcconv::start_up(); });
}
