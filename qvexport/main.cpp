// qvexport: the installation's database for the tools of today (SQLite, CSV).
#include <cstdio>
#include <string>
#include <vector>

#include "common/installation_lock.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "qvexport/export_run.h"

namespace {

// TABLES.INI as every tool of the suite reads it.
constexpr qv::TableRules table_rules{7, 1, 150, false, false, false};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "/?") {
            std::fputs(qv::qvexport::usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("qvexport (Quorvant) 1.0");
            return 0;
        }
    }
    std::string error;
    const auto request = qv::qvexport::read_arguments(args, error);
    if (!request) {
        std::fprintf(stderr, "qvexport: %s\n\n%s", error.c_str(), qv::qvexport::usage);
        return 2;
    }
    try {
        // The database is read while no program of the suite writes it, so the
        // export sees every commodity on the same day.
        qv::hold_installation("qvexport");
        return qv::qvexport::run_export(*request, qv::load_tables(table_rules));
    } catch (const qv::ProgramEnd&) {
        // The installation is busy or TABLES.INI could not be read; the message has been shown.
        return 1;
    }
}
