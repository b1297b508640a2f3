// Whole DFORGE runs over a small installation: the input is a build file,
// optionally followed by "\n%%\n" and the text of an ASCII input file
// (FUZZ.TXT) and, after a second "\n%%\n", the text of an index file
// (\QUORVANT\IDX\B1_IDX.QVT). Every block's output line is replaced by one of a
// few names inside the installation, and the series names of input lines lose
// their folder characters, so that a run only ever writes below its own
// temporary folder; everything else of the build file (option lines, field
// lists, blank and comment lines) is built as it comes. What must hold: no
// crash, no sanitizer report, no read past a buffer, whatever the files say.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "builder/build_file.h"
#include "builder/driver.h"
#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/platform/console.h"
#include "common/cot_file.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "fuzz/fuzz_install.h"

namespace {

namespace fs = std::filesystem;
using qv::fuzzing::write_fuzz_file;

// Wheat from September to mid-December 2020 with two roll-overs, stored in
// three-byte prices of two decimals.
void write_wheat(const fs::path& root) {
    qv::ClcWriter writer;
    if (!writer.create((root / "CLC" / "W__CLC.QVT").string(), qv::make_clc_header("W_", 2, 3))) std::abort();
    std::int32_t close = 55000;
    int n = 0;
    for (qv::DayNumber day = qv::date_to_lotus(2020, 9, 1); day <= qv::date_to_lotus(2020, 12, 11); ++day) {
        if (qv::weekday(day) == 0 || qv::weekday(day) == 6) continue;
        if (++n % 30 == 0) writer.write({0, close, 0, 0, close + 1200, 0, 0, 0});
        close += (n * 37 % 23) - 11;
        writer.write({day, close - 150, close + 300, close - 400, close, 1000u + n, 5000u + n, 90000u + n});
    }
    if (!writer.finish()) std::abort();
}

void write_gold_cot(const fs::path& root) {
    const qv::FilePtr file = qv::open_file((root / "COT" / "GC_COT.QVT").string(), "wb");
    if (!file) std::abort();
    qv::DayNumber day = qv::date_to_lotus(2020, 6, 2);
    for (int week = 0; week < 28; ++week, day += 7) {
        qv::CotRecord record;
        record.day = day;
        record.non_commercial_long = week < 2 ? 0 : 1000 + week * 13;
        record.non_commercial_short = week < 2 ? 0 : 900 - week * 7;
        record.commercial_long = week < 2 ? 0 : 5000 + week * 31 % 17;
        record.commercial_short = week < 2 ? 0 : 5200;
        record.non_reportable_long = week * 3;
        record.non_reportable_short = 40;
        record.commercial_traders_long = static_cast<std::int16_t>(20 + week);
        if (!qv::write_cot_record(file.get(), record)) std::abort();
    }
}

// The installation lives for the whole fuzzing run; every run rewrites the
// files the fuzz input gives and keeps the database as it is.
const fs::path& installation() {
    static const fs::path& root = []() -> const fs::path& {
        const fs::path& folder = qv::fuzzing::fuzz_installation("dforge-fuzz");
        write_wheat(folder);
        write_gold_cot(folder);
        write_fuzz_file(folder / "IDX" / "W1_IDX.QVT",
                   "20200904 1 2 3 4 5 6 7 8 9 10 11 12 13 14*\n20201002 2 3 4 5 -9999.0 7 8 9 10 11 12 13 14 15**\n"
                   "20201106 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n");
        write_fuzz_file(folder / "IDX" / "X4_IDX.QVT", "201102 1 2 3 4\n201103 2 3 4 5\n201110 3 4 5 6\n");
        return folder;
    }();
    return root;
}

// The output names a block may get: an ASCII file beside the build, one in
// folders still to be made, one with the contract month and year put in, and
// a MetaStock series.
constexpr std::array<std::string_view, 4> output_names = {"OUT.TXT", "\\QUORVANT\\BUILT\\SUB\\OUT2.TXT",
                                                          "W_&&&%%.TXT", "\\QUORVANT\\META\\FZ"};

// The input line without the folder characters in its series name.
std::string confined_input(std::string line) {
    const std::size_t series_end = std::min(line.find_first_of(" ,"), line.size());
    std::string series;
    for (std::size_t i = 0; i < series_end; ++i) {
        if (line[i] != '\\' && line[i] != '/' && line[i] != ':') series += line[i];
    }
    return series + line.substr(series_end);
}

std::string confined_build_file(std::string_view text) {
    std::string confined;
    bool in_block = false;
    std::size_t blocks = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        start = end + 1;
        switch (qv::builder::classify_line(qv::to_upper(line))) {
            case qv::builder::LineKind::blank: in_block = false; break;
            case qv::builder::LineKind::comment:
            case qv::builder::LineKind::option: break;
            case qv::builder::LineKind::other:
                if (in_block) {
                    line = confined_input(line);
                } else {
                    line = std::string(output_names[blocks++ % output_names.size()]);
                    in_block = true;
                }
                break;
        }
        confined += line;
        confined += '\n';
    }
    return confined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qv::SilentConsole silent;
    static qv::ScopedConsole scope(silent);
    const fs::path& root = installation();

    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (std::size_t marker; parts.size() < 2 && (marker = text.find("\n%%\n")) != std::string_view::npos;) {
        parts.push_back(text.substr(0, marker));
        text.remove_prefix(marker + 4);
    }
    parts.push_back(text);

    write_fuzz_file(root / "AUTO" / "$FUZZ", confined_build_file(parts[0]));
    write_fuzz_file(root / "FUZZ.TXT", parts.size() > 1 ? parts[1] : "01/02/2020 1 2 3 4\n");
    write_fuzz_file(root / "IDX" / "B1_IDX.QVT", parts.size() > 2 ? parts[2] : "20200102 1 2 3\n");
    try {
        qv::builder::run_builder({"$FUZZ"});
    } catch (const qv::ProgramEnd&) {
    }
    return 0;
}
