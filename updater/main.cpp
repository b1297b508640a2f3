#include "updater/start_up.h"

int main() {
    return qv::run_program([] { qv::updater::start_up(); });
}
