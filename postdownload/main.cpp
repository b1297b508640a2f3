#include "common/start_up.h"
#include "postdownload/post_download.h"

int main() {
    return qv::run_program([] { qv::postdownload::run_postdownload(qv::postdownload::postdownload_steps()); });
}
