// TABLES.INI and HOLIDAYS.QVT of any content, loaded with the limits of each
// tool: the input's first byte chooses the file (bit 3) and the tool (bits 0
// to 2), the rest is the file. A file the loaders refuse ends the program
// (ProgramEnd), which the target takes as the loader's answer; a table loaded
// keeps to the limits its rows are read with.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/holidays.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "common/tool.h"
#include "fuzz/fuzz_install.h"

namespace {

std::filesystem::path root;

const std::array<const qv::ToolProfile*, 8> profiles = {
    &qv::updater_profile,  &qv::builder_profile,   &qv::distributor_profile,  &qv::request_profile,
    &qv::favorites_profile, &qv::postdownload_profile, &qv::roll_profile, &qv::clcconv_profile,
};

void check_tables(const qv::CommodityTable& table, const qv::TableRules& rules) {
    if (table.size() > qv::max_commodities || table.size() > static_cast<std::size_t>(rules.max_count)) std::abort();
    for (const qv::Commodity& row : table) {
        if (row.tag.size() > 2) std::abort();
        if (row.precision < -7 || row.precision > 7) std::abort();
        if (row.bytes != 0 && (row.bytes < 2 || row.bytes > 4)) std::abort();
        for (std::size_t i = 1; i < row.cycle.size(); ++i)
            if (row.cycle[i] <= row.cycle[i - 1]) std::abort();
        if (!row.tag.empty()) (void)table.position_of_no_case(row.tag);
    }
}

void check_holidays(const qv::HolidayTable& holidays, const qv::HolidayRules& rules) {
    if (holidays.size() > rules.bound) std::abort();
    for (qv::DayNumber day : holidays)
        if (!holidays.contains(day)) std::abort();
    (void)holidays.contains(holidays.last() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    root = qv::fuzzing::fuzz_installation("qv-fuzz-tables");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const qv::ToolProfile& profile = *profiles[data[0] & 7];
    const bool holidays = (data[0] & 8) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    qv::fuzzing::write_fuzz_file(root / (holidays ? "HOLIDAYS.QVT" : "TABLES.INI"), text);
    try {
        if (holidays)
            check_holidays(qv::load_holidays(profile.holidays, [](std::string_view) {}), profile.holidays);
        else
            check_tables(qv::load_tables(profile.tables), profile.tables);
    } catch (const qv::ProgramEnd&) {
        // A refused file: the loader has said why.
    }
    return 0;
}
