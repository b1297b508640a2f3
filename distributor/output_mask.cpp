#include "distributor/output_mask.h"

#include <algorithm>
#include <cstddef>

#include "common/output_mask.h"
#include "common/messages.h"
#include "common/metastock.h"
#include "common/tables.h"
#include "common/platform/text.h"

namespace qv::distributor {

namespace {

// The contract's folder under the kind's root.
std::string contract_folder(std::string_view tag, char kind, const Distribution& run) {
    const DistributorSettings& settings = run.settings;
    const std::string& root = kind == 'A' ? settings.ascii_path : settings.meta_path;
    if (kind == 'A' && settings.group_folders()) {
        std::string folder = group_folder(root, tag, run.commodities);
        if (!folder.empty()) return folder;
    }
    return root + std::string(tag) + "\\";
}

// The folder of the contract's security: the first of the folder and its
// siblings 1 to 9 that holds the security or has room for it. Empty after a
// warning. The chosen folder's MASTER as read goes to `chosen`.
std::string choose_metastock_folder(const std::string& first, std::string_view name, MasterReadResult& chosen) {
    for (int k = 0; k < metastock_folders; ++k) {
        const std::string folder = numbered_metastock_folder(first, k);
        MasterReadResult read = read_master(folder);
        const auto choose = [&] {
            chosen = std::move(read);
            return folder;
        };
        if (read.status == MasterReadResult::missing) return choose();
        if (read.status == MasterReadResult::damaged) {
            // Which folder holds the security cannot be told: sending it to a
            // sibling could list it twice.
            message(distributor_profile, read.message);
            return {};
        }
        for (const MasterRecord& record : read.master.records)
            if (equal_no_case(record.symbol(), name)) return choose();
        if (read.master.records.size() < static_cast<std::size_t>(max_file_number)) return choose();
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

int determine_name(std::string_view contract_line, char kind, const Distribution& run, std::string& output_path,
                   std::string& name, MasterReadResult* chosen_master) {
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
    MasterReadResult master;
    const std::string chosen = choose_metastock_folder(folder, named, master);
    if (chosen_master) *chosen_master = std::move(master);
    if (chosen.empty()) return -1;
    name = std::move(named);
    output_path = chosen + name;
    return 0;
}

}  // namespace qv::distributor
