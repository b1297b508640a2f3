#pragma once

// The user's name masks (ASCII MASK, META MASK): how a futures contract's
// output file or MetaStock security is named and in which folder it stands.
// The distributor names the files it writes by them and the favourites builder
// finds those files again by the same rules.

#include <array>
#include <string>
#include <string_view>

#include "common/tables.h"

namespace qv {

// The commodity-group folders of ASCII files, by the table's group_index.
inline constexpr std::array<std::string_view, 8> commodity_group_folders = {
    "GRAINS", "MEATS", "FOODFIBR", "OILS", "METALS", "INDEXES", "BONDS", "CURRENCY",
};

// A contract's MetaStock securities stand in its folder or in one of the
// numbered siblings 1 to 9, which take the securities once a folder is full.
inline constexpr int metastock_folders = 10;

// The name a mask gives a contract. `contract_line` is an update line: its
// characters 1-2 are the commodity tag, 4-5 the contract's year and 6 its
// month code. An empty result with `problem` set to the warning when the mask
// cannot name it.
std::string mask_name(std::string_view mask, std::string_view contract_line, std::string& problem);

// The group folder of a commodity ("OILS\") under the root; empty when the
// tag is not in the table or its group_index names no folder.
std::string group_folder(std::string_view root, std::string_view tag, const CommodityTable& commodities);

// Folder k of a contract's MetaStock folders: 0 the folder itself, k from 1 on
// the folder without its final backslash followed by k (C:\META\W_\ gives
// C:\META\W_1\).
std::string numbered_metastock_folder(const std::string& first, int k);

}  // namespace qv
