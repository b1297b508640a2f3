#pragma once

// The user's name masks (ASCII MASK, META MASK): how the distributor names the
// output of each futures contract.

#include <string>
#include <string_view>

#include "common/metastock.h"
#include "common/output_mask.h"
#include "distributor/distribution.h"

namespace qv::distributor {

// The folder and name of a contract's output. `contract_line` is an update
// line: its characters 1-2 are the commodity tag, 4-5 the contract's year and
// 6 its month code. Kind 'A' gives the ASCII file (output_path the file, name
// the file name); kind 'M' the MetaStock folder, chosen among the contract's
// folder and its numbered siblings 1 to 9 (output_path the folder followed by
// the security name, name the security name; the chosen folder's MASTER, as
// read to choose it, goes to `chosen_master` when one is given). 0, or -1
// after a warning.
int determine_name(std::string_view contract_line, char kind, const Distribution& run, std::string& output_path,
                   std::string& name, MasterReadResult* chosen_master = nullptr);

// The contract key of an update line (tag, blank, two-digit year, month code)
// becomes part of file and folder names, so it must be one: the tag a tag of
// TABLES.INI or two letters, digits or "_", the year two digits, the month a
// month code. A key such as ".." or "/." would put the vendor's names outside
// the user's folders. False after a warning; the caller skips the contract.
bool check_contract_key(std::string_view contract_line, const Distribution& run);

}  // namespace qv::distributor
