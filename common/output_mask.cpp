#include "common/output_mask.h"

#include <cstddef>

#include "common/platform/text.h"

namespace qv {

namespace {

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

}  // namespace

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

std::string group_folder(std::string_view root, std::string_view tag, const CommodityTable& commodities) {
    const Commodity* row = commodities.find_no_case(tag);
    if (!row || row->group_index < 0 || static_cast<std::size_t>(row->group_index) >= commodity_group_folders.size())
        return {};
    return std::string(root) + std::string(commodity_group_folders[static_cast<std::size_t>(row->group_index)]) + "\\";
}

std::string numbered_metastock_folder(const std::string& first, int k) {
    if (k == 0) return first;
    return first.substr(0, first.size() - 1) + format("%d", k) + "\\";
}

}  // namespace qv
