#pragma once

// What the distributor's steps share while it carries update files into the
// user's ASCII files and MetaStock folders.

#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/tables.h"

namespace qv::distributor {

// The distributor's own reading of QUORUP.INI.
struct DistributorSettings {
    char extended_contracts = ' ';  // 'A' ASCII files, 'M' MetaStock, 'B' both, other: neither
    std::string ascii_path;         // root of the ASCII files, ends in a backslash
    std::string meta_path;          // root of the MetaStock folders, ends in a backslash
    std::string ascii_mask;         // at most 12 characters
    std::string meta_mask;
    // DATA FORMAT: [0] date style '1' to '8', [1] separator 'S' blank, 'T' tab,
    // else comma, [2] volume and open-interest option, [3] 'Y' for group folders.
    std::string data_format = "    ";

    char date_style() const { return data_format.size() > 0 ? data_format[0] : ' '; }
    char separator_code() const { return data_format.size() > 1 ? data_format[1] : ' '; }
    char volume_option() const { return data_format.size() > 2 ? data_format[2] : ' '; }
    bool group_folders() const { return data_format.size() > 3 && data_format[3] == 'Y'; }
};

enum class HistoryMode { update, light_history, deep_history };

// One run of the distributor.
struct Distribution {
    const DistributorSettings& settings;
    const CommodityTable& commodities;  // compu_trac values after the COMPUTRC overrides
    bool header_flag = false;           // META13.TXT exists: ASCII files carry a heading line
    HistoryMode mode = HistoryMode::update;
    // The newest date written to, or found in, an output file.
    DayNumber newest_written = no_date;
    // Output files of the current update file whose write failed (a full disk,
    // a write-protected file): the update file then stays pending.
    std::vector<std::string> failed_writes{};
};

// Notes an output file whose write failed.
void write_failed(Distribution& run, std::string_view path);

// Shows the contract being carried: in a history mode the kind of output
// ("ASCII       " or "METASTOCK    ") beside "Data Format:", and always its
// commodity tag beside the commodity label.
void show_contract(std::string_view kind, std::string_view tag, const Distribution& run);

// The distributor's message about an update it could not carry into an output
// (a contract, a security, a file left as it was): shown on its warning screen,
// and the run counts as failed for QUORVANT_EXIT_STATUS.
void report_skipped(std::string_view text);

// The heading line of ASCII files when the header flag is set.
inline constexpr const char* ascii_heading = "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI";

}  // namespace qv::distributor
