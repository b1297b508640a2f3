// make_sample FOLDER: writes a sample installation into FOLDER, with the
// batch file of its daily chain and its user's favourites.

#include <cstdio>
#include <exception>

#include "sample/sample_install.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample FOLDER\n");
        return 2;
    }
    try {
        qv::sample::write_installation(argv[1]);
        qv::sample::write_daily_chain(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_sample: %s\n", error.what());
        return 1;
    }
    return 0;
}
