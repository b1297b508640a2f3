#include "common/start_up.h"
#include "favorites/run.h"

int main() {
    return qv::run_program([] { qv::favorites::run_favorites(); });
}
