// qvchart: a picture of a built ASCII output or of a commodity's CLC series.
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "qvchart/chart_drawing.h"

namespace {

constexpr const char* usage =
    "Usage: qvchart BUILT-OUTPUT-OR-TAG PICTURE.png|PICTURE.svg\n"
    "\n"
    "Draws a built ASCII output (bars when it has open, high, low and close, else\n"
    "a line of closes; roll-overs marked where a contract-month column changes),\n"
    "or the CLC series of a commodity tag of TABLES.INI: the prices as stored\n"
    "beside the back-adjusted series, with every roll-over day marked. The\n"
    "installation is $QUORVANT_ROOT, else the working directory.\n";

// TABLES.INI as every tool of the suite reads it.
constexpr qv::TableRules table_rules{7, 1, 150, false, false, false};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "/?") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("qvchart (Quorvant) 1.0");
            return 0;
        }
    }
    if (args.size() != 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string error;
    std::optional<qv::qvchart::Chart> chart;
    // Two characters that name a commodity are its CLC series; anything else a file.
    if (args[0].size() == 2 && !qv::file_exists(args[0])) {
        try {
            const qv::CommodityTable table = qv::load_tables(table_rules);
            const qv::Commodity* commodity = table.find_no_case(args[0]);
            if (!commodity) error = args[0] + " is not a commodity of TABLES.INI";
            else chart = qv::qvchart::read_clc_chart(*commodity, error);
        } catch (const qv::ProgramEnd&) {
            return 1;
        }
    } else {
        chart = qv::qvchart::read_built_output(args[0], error);
    }
    if (!chart || !qv::qvchart::draw_chart(*chart, qv::qvchart::layout_for(*chart), args[1], error)) {
        std::fprintf(stderr, "qvchart: %s\n", error.c_str());
        return 1;
    }
    std::printf("qvchart: %s written\n", args[1].c_str());
    return 0;
}
