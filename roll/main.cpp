#include "roll/start_up.h"

int main() {
    return qv::run_program([] { qv::roll::start_up(); });
}
