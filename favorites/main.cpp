#include "favorites/start_up.h"

int main() {
    return qv::run_program([] { qv::favorites::start_up(); });
}
