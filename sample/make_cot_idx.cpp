// make_cot_idx FOLDER: writes the COT and IDX part of the sample installation
// into FOLDER: a weekly COT history (reports on Tuesdays from October 1992 to
// 1 December 2020) for the main commodities, daily index files up to Friday
// 4 December 2020 for a few index tags, and, in FOLDER/VENDOR, the vendor's
// update files of the weeks after, up to Friday 8 January 2021: a COT update
// DUyymmdd.COT for each weekly report (dated on its Tuesday) and a daily IDX
// update for each weekday that is not an exchange holiday. Each series is a
// seeded random walk, so the files are the same on every run and the updates
// go on where the history ends.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/cot_file.h"
#include "common/holidays.h"
#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/idx_file.h"
#include "common/platform/text.h"

namespace {

using namespace qv;

const char* const cot_tags[] = {"C_", "S_", "W_", "LC", "CL", "GC", "SP", "US", "BP", "JY"};

struct IndexSeries {
    const char* tag;
    double first_close;  // on 2 January 1990
    int decimals;
    double drift;  // a day's mean change
};
const IndexSeries index_series[] = {{"DJ", 2810.15, 2, 0.00029}, {"SP", 359.69, 2, 0.00029}, {"ND", 228.00, 2, 0.00046}, {"DX", 93.98, 3, 0.0}};

const Date history_end{2020, 12, 4};
const Date updates_end{2021, 1, 8};

// A small generator of its own, so that the files do not depend on the
// library's random engines.
class Walk {
public:
    explicit Walk(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    // -1 to 1.
    double step() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

std::uint32_t seed_of(std::string_view tag) { return static_cast<std::uint32_t>(tag[0]) * 256 + tag[1]; }

std::string packed(DayNumber day) {
    const Date d = lotus_to_date(day);
    return format("%02d%02d%02d", d.year % 100, d.month, d.day);
}

void write_file(std::string_view path, const std::string& text) {
    const FilePtr file = open_file(path, "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file.get()) != text.size())
        throw std::runtime_error("cannot write " + std::string(path));
}

std::int32_t positive(double value) { return value < 1 ? 1 : static_cast<std::int32_t>(value); }

// The weekly reports of one commodity from the first report day to the last
// Tuesday on or before `last`.
std::vector<CotRecord> cot_reports(std::string_view tag, DayNumber last) {
    Walk walk(seed_of(tag));
    double size = 20000 + 1000 * (seed_of(tag) % 50);  // the market's open interest
    double speculators = 0.1;                           // non-commercial net share, -0.4 to 0.4
    std::vector<CotRecord> reports;
    for (DayNumber day = first_cot_report_day; day != no_date && day <= last; day = next_cot_report_day(day)) {
        size *= 1.0 + 0.02 * walk.step() + 0.0003;
        speculators += 0.03 * walk.step();
        if (speculators > 0.4) speculators = 0.4;
        if (speculators < -0.4) speculators = -0.4;
        CotRecord r;
        r.day = day;
        r.non_commercial_long = positive(size * (0.25 + speculators / 2));
        r.non_commercial_short = positive(size * (0.25 - speculators / 2));
        r.non_commercial_spreading = positive(size * (0.08 + 0.02 * walk.step()));
        r.non_reportable_long = positive(size * (0.12 + 0.02 * walk.step()));
        r.non_reportable_short = positive(size * (0.12 + 0.02 * walk.step()));
        // Every long has its short: the commercials hold the rest.
        const double total = size;
        r.commercial_long = positive(total - r.non_commercial_long - r.non_commercial_spreading - r.non_reportable_long);
        r.commercial_short =
            positive(total - r.non_commercial_short - r.non_commercial_spreading - r.non_reportable_short);
        r.non_commercial_traders_long = static_cast<std::int16_t>(60 + 40 * (0.5 + speculators));
        r.non_commercial_traders_short = static_cast<std::int16_t>(60 + 40 * (0.5 - speculators));
        r.commercial_traders_long = static_cast<std::int16_t>(80 + 10 * walk.step());
        r.commercial_traders_short = static_cast<std::int16_t>(85 + 10 * walk.step());
        reports.push_back(r);
    }
    return reports;
}

std::string cot_update_line(std::string_view tag, const CotRecord& r) {
    return format("%s %s %d %d %d %d %d %d %d %d %d %d %d\n", std::string(tag).c_str(), packed(r.day).c_str(),
                  r.non_commercial_long, r.non_commercial_short, r.non_commercial_spreading, r.commercial_long,
                  r.commercial_short, r.non_reportable_long, r.non_reportable_short, r.non_commercial_traders_long,
                  r.non_commercial_traders_short, r.commercial_traders_long, r.commercial_traders_short);
}

struct IndexDay {
    DayNumber day;
    std::string fields;  // open, high, low, close
};

// One index's weekdays from 2 January 1990 to `last`.
std::vector<IndexDay> index_days(const IndexSeries& series, DayNumber last) {
    Walk walk(seed_of(series.tag) + 7);
    double close = series.first_close;
    std::vector<IndexDay> days;
    for (DayNumber day = date_to_lotus(1990, 1, 2); day <= last; ++day) {
        if (weekday(day) == saturday || weekday(day) == sunday) continue;
        const double open = close;
        close = open * (1.0 + 0.011 * walk.step() + series.drift);
        const double high = std::max(open, close) * (1.0 + 0.004 * (1.0 + walk.step()));
        const double low = std::min(open, close) * (1.0 - 0.004 * (1.0 + walk.step()));
        const int d = series.decimals;
        days.push_back({day, format("%.*f %.*f %.*f %.*f", d, open, d, high, d, low, d, close)});
    }
    return days;
}

void make_cot_idx(const std::filesystem::path& folder) {
    set_env("QUORVANT_ROOT", folder.string());
    for (const char* sub : {"COT", "IDX", "VENDOR"}) std::filesystem::create_directories(folder / sub);
    const DayNumber stored_until = date_to_lotus(history_end);
    const DayNumber updates_until = date_to_lotus(updates_end);
    HolidayRules holiday_rules;
    holiday_rules.in_install_folder = true;
    const HolidayTable holidays = load_holidays(holiday_rules);

    std::map<DayNumber, std::string> cot_updates;  // by report day
    for (const char* tag : cot_tags) {
        std::string history;
        for (const CotRecord& r : cot_reports(tag, updates_until)) {
            if (r.day <= stored_until) {
                std::uint8_t raw[cot_record_size];
                encode_cot_record(r, raw);
                history.append(reinterpret_cast<const char*>(raw), sizeof raw);
            } else {
                cot_updates[r.day] += cot_update_line(tag, r);
            }
        }
        write_file(cot_file_name(tag), history);
    }
    for (const auto& [day, lines] : cot_updates) {
        const std::string name = format("DU%s.COT", packed(day).c_str());
        write_file("\\QUORVANT\\VENDOR\\" + name, name + "\n" + lines);
    }

    std::map<DayNumber, std::string> idx_updates;  // by day
    for (const IndexSeries& series : index_series) {
        std::string history;
        for (const IndexDay& d : index_days(series, updates_until)) {
            const Date date = lotus_to_date(d.day);
            if (d.day <= stored_until) {
                history += format("%04d%02d%02d %s\n", date.year, date.month, date.day, d.fields.c_str());
            } else if (!holidays.contains(d.day)) {
                std::string& update = idx_updates[d.day];
                if (update.empty()) update = format("DU%s.IDX\n", packed(d.day).c_str());
                update += format("%s %s %s\n", series.tag, packed(d.day).c_str(), d.fields.c_str());
            }
        }
        write_file(idx_file_name(series.tag), history);
    }
    for (const auto& [day, text] : idx_updates)
        write_file(format("\\QUORVANT\\VENDOR\\DU%s.IDX", packed(day).c_str()), text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_cot_idx FOLDER\n");
        return 2;
    }
    try {
        make_cot_idx(argv[1]);
    } catch (const qv::ProgramEnd&) {
        std::fprintf(stderr, "make_cot_idx: the holidays of %s cannot be read\n", argv[1]);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_cot_idx: %s\n", error.what());
        return 1;
    }
    return 0;
}
