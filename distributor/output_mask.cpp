#include "distributor/output_mask.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "common/messages.h"
#include "common/metastock.h"
#include "common/tables.h"
#include "common/platform/text.h"

namespace qv::distributor {

namespace {

// The commodity-group folders of ASCII files, by the table's group_index.
constexpr std::array<std::string_view, 8> group_folders = {
    "GRAINS\\", "MEATS\\", "FOODFIBR\\", "OILS\\", "METALS\\", "INDEXES\\", "BONDS\\", "CURRENCY\\",
};

// A MetaStock security may be in the contract's folder or in one of its
// numbered siblings, which take the securities once a folder is full.
constexpr int metastock_folders = 10;

struct Run {
    std::size_t start = std::string_view::npos;
    std::size_t length = 0;
};

// The first run of a code letter in the mask. Only the first run is a code:
// later letters of the same kind stand for themselves, as in TTMYY.DAY.
Run first_run(std::string_view mask, char code) {
    Run run;
    run.start = mask.find(code);
    if (run.start == std::string_view::npos) return run;
    while (run.start + run.length < mask.size() && mask[run.start + run.length] == code) ++run.length;
    return run;
}

bool is_early_year(char first_digit) { return first_digit < '6' || first_digit > '9'; }

// The contract's folder under the kind's root.
std::string contract_folder(std::string_view tag, char kind, const Distribution& run) {
    const DistributorSettings& settings = run.settings;
    const std::string& root = kind == 'A' ? settings.ascii_path : settings.meta_path;
    if (kind == 'A' && settings.group_folders()) {
        if (const Commodity* row = run.commodities.find_no_case(tag)) {
            if (row->group_index >= 0 && static_cast<std::size_t>(row->group_index) < group_folders.size())
                return root + std::string(group_folders[static_cast<std::size_t>(row->group_index)]);
        }
    }
    return root + std::string(tag) + "\\";
}

// The folder of the contract's security: the first of the folder and its
// siblings 1 to 9 that holds the security or has room for it. Empty after a
// warning.
std::string choose_metastock_folder(const std::string& first, std::string_view name) {
    const std::string stem = first.substr(0, first.size() - 1);
    for (int k = 0; k < metastock_folders; ++k) {
        const std::string folder = k == 0 ? first : stem + format("%d", k) + "\\";
        const MasterReadResult read = read_master(folder);
        if (read.status == MasterReadResult::missing) return folder;
        if (read.status == MasterReadResult::damaged) {
            // Which folder holds the security cannot be told: sending it to a
            // sibling could list it twice.
            message(distributor_profile, read.message);
            return {};
        }
        for (const MasterRecord& record : read.master.records)
            if (equal_no_case(record.symbol(), name)) return folder;
        if (read.master.records.size() < static_cast<std::size_t>(max_file_number)) return folder;
    }
    message(distributor_profile, "ERROR-too many Metastock sub folders");
    return {};
}

bool is_name_character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool check_contract_key(std::string_view contract_line, const Distribution& run) {
    const std::string_view key = contract_line.substr(0, std::min<std::size_t>(6, contract_line.size()));
    const std::string_view tag = key.substr(0, std::min<std::size_t>(2, key.size()));
    const bool tag_ok = tag.size() == 2 && (run.commodities.find_no_case(tag) != nullptr ||
                                            (is_name_character(tag[0]) && is_name_character(tag[1])));
    const bool contract_ok = key.size() == 6 && is_digit(key[3]) && is_digit(key[4]) &&
                             month_codes.find(key[5]) != std::string_view::npos;
    if (tag_ok && contract_ok) return true;
    message(distributor_profile,
            format("ERROR-INVALID CONTRACT \"%s\" IN THE UPDATE FILE,@BYPASSING IT.", std::string(key).c_str()));
    return false;
}

std::string mask_name(std::string_view mask, std::string_view contract_line, std::string& problem) {
    // A settings value keeps the blanks that trail it, but a name never ends
    // in blanks (DOS drops them from file names).
    while (!mask.empty() && mask.back() == ' ') mask.remove_suffix(1);
    std::string contract(contract_line.substr(0, 6));
    contract.resize(6, ' ');
    const char year_high = contract[3];
    const char year_low = contract[4];
    const char month_code = contract[5];

    // Every character stands for itself until a code run fills its places.
    std::string name(mask);

    const Run ticker = first_run(mask, 'T');
    if (ticker.length == 0) {
        problem = "ERROR-ticker codes missing in MASK line@in QUORUP.INI file";
        return {};
    }
    if (ticker.length == 1) {
        problem = "ERROR-only one ticker code in MASK line@in QUORUP.INI file, min. is 2";
        return {};
    }
    name.replace(ticker.start, ticker.length, ticker.length, '_');
    name[ticker.start] = contract[0];
    name[ticker.start + 1] = contract[1];

    const Run month = first_run(mask, 'M');
    if (month.length == 0) {
        problem = "ERROR-month code missing in MASK@in QUORUP.INI file";
        return {};
    }
    if (month.length > 3) {
        problem = "ERROR-too many month codes in MASK@in QUORUP.INI file, min. is 2";
        return {};
    }
    if (month.length == 1) {
        name[month.start] = month_code;
    } else {
        const std::size_t index = month_codes.find(month_code);
        if (index == std::string_view::npos) {
            problem = "ERROR-invalid month code in MASK@in QUORUP.INI file";
            return {};
        }
        const std::string text = month.length == 2 ? format("%02d", static_cast<int>(index) + 1)
                                                   : std::string(month_names[index]);
        name.replace(month.start, month.length, text);
    }

    const Run year = first_run(mask, 'Y');
    if (year.length == 0) {
        problem = "ERROR-year code missing in MASK@in QUORUP.INI file";
        return {};
    }
    if (year.length > 4) {
        problem = "ERROR-too many year codes in MASK@in QUORUP.INI file, min. is 2";
        return {};
    }
    if (year.length == 1) {
        problem = "ERROR - Single digit Year is not supported.";
        return {};
    }
    std::string digits{year_high, year_low};
    if (year.length == 3) digits.insert(0, is_early_year(year_high) ? "1" : "0");
    if (year.length == 4) digits.insert(0, is_early_year(year_high) ? "20" : "19");
    name.replace(year.start, year.length, digits);

    problem.clear();
    return name;
}

int determine_name(std::string_view contract_line, char kind, const Distribution& run, std::string& output_path,
                   std::string& name) {
    const std::string_view tag = contract_line.substr(0, 2);
    const std::string folder = contract_folder(tag, kind, run);
    std::string problem;
    const std::string_view mask = kind == 'A' ? run.settings.ascii_mask : run.settings.meta_mask;
    std::string named = mask_name(mask, contract_line, problem);
    if (!problem.empty()) {
        message(distributor_profile, problem);
        return -1;
    }
    if (kind != 'M') {
        name = std::move(named);
        output_path = folder + name;
        return 0;
    }
    // MASTER finds a security by its symbol up to the first blank: a name
    // with a blank would never be found again and be added on every run.
    if (named.find(' ') != std::string::npos) {
        message(distributor_profile, "ERROR-blank in META MASK@in QUORUP.INI file");
        return -1;
    }
    const std::string chosen = choose_metastock_folder(folder, named);
    if (chosen.empty()) return -1;
    name = std::move(named);
    output_path = chosen + name;
    return 0;
}

}  // namespace qv::distributor
