#include "postdownload/start_up.h"

int main() {
    return qv::run_program([] { qv::postdownload::start_up(); });
}
