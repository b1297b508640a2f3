#include "roll/run.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/install_files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "roll/roll_report.h"
#include "roll/roll_status.h"
#include "roll/start_up.h"

namespace qv::roll {

namespace {

struct Report {
    std::string_view path;
    std::string_view work_path;
};
constexpr Report show_report{install::roll_show_file, install::roll_show_work_file};
constexpr Report print_report{install::roll_print_file, install::roll_print_work_file};

void report_unwritable(const Report& report) {
    const std::string_view name = report.path.substr(report.path.find_last_of('\\') + 1);
    fatal_error(roll_profile, "ERROR-UNABLE TO CREATE THE FILE " + std::string(name));
}

// Every month of the commodity's all_tag must name a contract month before any
// report line is made; the rollover report ends on one that does not.
void check_month_codes(const CommodityTable& commodities) {
    for (const Commodity& commodity : commodities) {
        for (std::size_t month = 1; month <= 12; ++month) {
            const char code = month < commodity.all_tag.size() ? commodity.all_tag[month] : ' ';
            if (code != '\0' && month_codes.find(code) != std::string_view::npos) continue;
            fatal_error(roll_profile, format("\n\nERROR- COULDN'T FIND MONTH CODE %c IN MCODES TABLE", code));
            throw ProgramEnd{};
        }
    }
}

}  // namespace

bool write_roll_reports(std::string_view show_text, std::string_view print_text) {
    WorkFile show(show_report.work_path, show_report.path);
    if (!show.is_open() || std::fwrite(show_text.data(), 1, show_text.size(), show.file()) != show_text.size()) {
        report_unwritable(show_report);
        return false;
    }
    WorkFile print(print_report.work_path, print_report.path);
    if (!print.is_open() || std::fwrite(print_text.data(), 1, print_text.size(), print.file()) != print_text.size()) {
        report_unwritable(print_report);
        return false;
    }
    if (!show.commit()) {
        report_unwritable(show_report);
        return false;
    }
    if (!print.commit()) {
        report_unwritable(print_report);
        return false;
    }
    return true;
}

void run_roll() {
    const StartUp loaded = start_up();
    check_month_codes(loaded.commodities);
    const DayNumber day = today();
    std::vector<RollLine> lines;
    for (const Commodity* commodity : report_order(loaded.commodities))
        lines.push_back({commodity, roll_status(*commodity, day, loaded.holidays)});
    write_roll_reports(rollshow_text(lines), rollprnt_text(lines, lotus_to_date(day)));
}

}  // namespace qv::roll
