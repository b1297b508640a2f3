#include "request/last_dates.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/cot_file.h"
#include "common/platform/files.h"
#include "common/idx_file.h"
#include "common/install_files.h"

namespace qv::request {

namespace {

// The commodities whose files stand for their whole database.
constexpr std::array<const char*, 3> sample_tags = {"W_", "BP", "SP"};

// A COT report of 14 January 1986 or before is no report of the database's.
constexpr DayNumber earliest_cot_report = 31426;

}  // namespace

DayNumber get_last_clc_date() {
    for (const char* tag : sample_tags) {
        const std::string path = clc_file_name(tag);
        if (!file_exists(path)) continue;
        ClcReader reader;
        if (reader.open(path) != ClcReader::Status::ok) return no_date;
        // The last dated record: a damaged file may end in a roll-over record.
        for (std::size_t index = reader.record_count(); index-- > 0;) {
            ClcRecord record;
            if (!reader.seek(index) || !reader.read(record)) return no_date;
            if (!record.is_roll_over()) return record.day;
        }
        return no_date;
    }
    return no_date;
}

DayNumber get_last_cot_date() {
    for (const char* tag : sample_tags) {
        const std::string path = cot_file_name(tag);
        if (!file_exists(path)) continue;
        CotReader reader;
        if (!reader.open(path)) return no_date;
        DayNumber last = no_date;
        CotRecord record;
        while (reader.read(record)) last = record.day;
        return last > earliest_cot_report ? last : no_date;
    }
    return no_date;
}

DayNumber get_last_idx_date() {
    const std::string folder(install::idx_folder);
    const std::vector<FolderEntry> files = list_matching(folder + "??_IDX.QVT");
    if (files.empty()) return no_date;
    const FolderEntry* chosen = &files.back();
    for (const FolderEntry& file : files) {
        const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(file.name[0])));
        if (first != 'M' && first != 'Q' && first != 'W') {
            chosen = &file;
            break;
        }
    }
    return last_idx_date(folder + chosen->name);
}

}  // namespace qv::request
