#include "distributor/meta_append.h"

#include <cstdlib>
#include <limits>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "common/platform/files.h"
#include "common/messages.h"
#include "distributor/distribution.h"
#include "common/metastock.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "distributor/meta_security.h"
#include "distributor/output_mask.h"
#include "distributor/work_folders.h"

namespace qv::distributor {

namespace {

// Update lines are read into a buffer of 150 characters, the line end included.
constexpr std::size_t update_line_chars = 149;
// A line shorter than this (line end counted) starts no contract.
constexpr std::size_t min_contract_line = 25;
// A line shorter than this holds only the key and the date: it deletes that day.
constexpr std::size_t min_price_line = 20;

void warn(const std::string& text) { report_skipped(text); }

std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\n')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\n') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::optional<double> number_of(std::string_view field) {
    const std::string text(field);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return std::nullopt;
    return value;
}

// The line's trading date (characters 7-12, yymmdd) as a MetaStock date:
// years 40 to 99 are 19yy (0yymmdd), the others 20yy (1yymmdd).
std::optional<long> meta_line_date(std::string_view line) {
    if (line.size() < 12) return std::nullopt;
    long yymmdd = 0;
    for (char c : line.substr(6, 6)) {
        if (c < '0' || c > '9') return std::nullopt;
        yymmdd = yymmdd * 10 + (c - '0');
    }
    const long date = (line[6] >= '4' ? 0 : 1000000) + yymmdd;
    if (!split_metastock_date(date)) return std::nullopt;
    return date;
}

// Fields 3 to 6 are open, high, low and close; 7, 8 and 9 the contract's open
// interest, the volume and the total open interest. MetaStock takes field 8
// as volume and, with option C, field 7 as open interest, else field 9.
std::optional<MetaDay> meta_line_day(std::string_view line, long date, char volume_option,
                                     double multiplier) {
    const auto fields = fields_of(line);
    if (fields.size() < 8 || (volume_option != 'C' && fields.size() < 9)) return std::nullopt;
    double values[7] = {};
    for (std::size_t i = 2; i < 9 && i < fields.size(); ++i) {
        const auto value = number_of(fields[i]);
        if (!value) return std::nullopt;
        values[i - 2] = *value;
    }
    MetaDay day;
    day.date = date;
    auto price = [&](double value) {
        return static_cast<float>(multiplier != 1.0 ? value * multiplier : value);
    };
    day.open = price(values[0]);
    day.high = price(values[1]);
    day.low = price(values[2]);
    day.close = price(values[3]);
    day.volume = static_cast<float>(values[5]);
    day.open_interest = static_cast<float>(volume_option == 'C' ? values[4] : values[6]);
    return day;
}

struct Contract {
    std::vector<std::string> lines;  // upper case, line ends as read
};

// Brings the contract's lines into its security's work table.
void apply_contract(const Contract& contract, MetaSecurity& security, char volume_option, double multiplier) {
    long previous = 0;
    for (const std::string& line : contract.lines) {
        const auto date = meta_line_date(line);
        if (!date) {
            warn(format("ERROR-INVALID DATE IN UPDATE LINE@%s BYPASSING IT.",
                        line.substr(0, line.find('\n')).c_str()));
            continue;
        }
        if (line.size() < min_price_line) {
            delete_meta_record(security.days, *date);
        } else {
            const auto day = meta_line_day(line, *date, volume_option, multiplier);
            if (!day) {
                warn(format("ERROR-UPDATE LINE OUT OF FORMAT@%s BYPASSING IT.",
                            line.substr(0, line.find('\n')).c_str()));
                continue;
            }
            place_meta_record(security.days, *day, previous);
        }
        previous = *date;
    }
}

// Every line of the contract is a whole day after `last`, the days rising:
// the security changes only from its last day on.
bool only_new_days(const Contract& contract, long last, char volume_option, double multiplier) {
    for (const std::string& line : contract.lines) {
        const auto date = meta_line_date(line);
        if (!date || *date <= last || line.size() < min_price_line ||
            !meta_line_day(line, *date, volume_option, multiplier))
            return false;
        last = *date;
    }
    return true;
}

}  // namespace

int append_meta_updates(const std::string& update_path, Distribution& run) {
    FilePtr file = open_file(update_path, "r");
    if (!file) {
        warn(format(" ERROR: CANNOT FIND FILE@%s, UPDATE ABORTED.", update_path.c_str()));
        return -1;
    }
    WorkFolders work_folders({metastock_work_file, metastock_master_work_file, metastock_dop_work_file});
    // A folder is searched for the in-use marker under a name in any case
    // when the update file first comes to it; its later securities look for
    // the marker by its name alone, which spares a listing of the folder for each.
    std::set<std::string> looked_at;
    std::string line;
    read_line(file.get(), line, update_line_chars);  // the heading
    bool have = read_line(file.get(), line, update_line_chars);
    while (have) {
        line = to_upper(line);
        if (line.size() < min_contract_line) {
            have = read_line(file.get(), line, update_line_chars);
            continue;
        }
        // A contract's lines are the run of lines with the same first six
        // characters (tag, blank, year, month code).
        Contract contract;
        const std::string key = line.substr(0, 6);
        contract.lines.push_back(line);
        while ((have = read_line(file.get(), line, update_line_chars))) {
            line = to_upper(line);
            if (line.compare(0, 6, key) != 0) break;
            contract.lines.push_back(line);
        }
        const std::string& first = contract.lines.front();
        if (!check_contract_key(first, run)) continue;

        // A tag missing from the table takes its prices as they stand; its
        // column file announces the decimals of the table's first row.
        const auto row = run.commodities.position_of(first);
        const double multiplier = row ? run.commodities[*row].decimal : 1.0;
        const int decimals = row ? run.commodities[*row].compu_trac
                                 : (run.commodities.empty() ? 0 : run.commodities[0].compu_trac);

        std::string output_path;
        std::string name;
        MasterReadResult master;
        if (determine_name(first, 'M', run, output_path, name, &master) != 0) return -1;
        // The daily case, days after the security's last, needs only the last
        // day read; the older ones stay in the file as they are.
        const char volume_option = run.settings.volume_option();
        MetaSecurity security;
        const bool looked = !looked_at.insert(meta_folder_of(output_path)).second;
        int prepared = prepare_meta_security(output_path, security, 1,
                                             looked ? InUseLook::as_written : InUseLook::any_case, &master);
        if (prepared == 0 && security.kept > 0 &&
            !only_new_days(contract, security.days.back().date, volume_option, multiplier))
            prepared = prepare_meta_security(output_path, security, std::numeric_limits<std::size_t>::max(),
                                             InUseLook::as_written);
        if (prepared == -1) return -1;
        if (prepared == 1) continue;

        show_contract("METASTOCK    ", first, run);

        apply_contract(contract, security, volume_option, multiplier);
        // A new security of nothing but deleted days is not made.
        if (security.is_new && security.days.empty()) continue;
        security.work_folder = work_folders.serving(security.folder);
        write_meta_security(security, decimals, run, WorkFileMode::reuse);
    }
    return 0;
}

}  // namespace qv::distributor
