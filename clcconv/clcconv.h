#pragma once

// clcconv: turns the CLC database files of \QUORVANT\CLC\ into editable ASCII
// files in \QUORVANT\CLC\TEMP\ and such files back into binary CLC files, also in
// \QUORVANT\CLC\TEMP\, so that the database itself is never overwritten.

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/tables.h"
#include "common/install_files.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::clcconv {

inline constexpr std::string_view clc_folder = install::clc_folder.substr(0, install::clc_folder.size() - 1);
inline constexpr std::string_view temp_folder = install::clc_temp_folder.substr(0, install::clc_temp_folder.size() - 1);

// "\QUORVANT\CLC\TEMP\" + tag + "_CLC" + extension.
std::string temp_file(std::string_view tag, std::string_view extension);

enum class Direction { none, to_ascii, to_binary };

struct Selection {
    Direction direction = Direction::none;
    std::vector<bool> selected;  // one flag per row of the commodity table
};

// The arguments joined into one text: "/" or "\" with 1 or 2 chooses the
// direction, with two other characters names a commodity tag (any case), which
// selects every row with that tag. A tag that selects nothing is reported and
// passed over. Without any tag every commodity is selected.
Selection read_command_line(const std::vector<std::string>& args, const CommodityTable& table);

// The menu shown without arguments: one key, with echo, chooses the direction;
// every commodity is selected.
Selection show_menu(const CommodityTable& table);

// Both directions, for the selected commodities in table order. A pressed key
// stops the run between commodities. Errors that end the program throw
// ProgramEnd; an output file that could not be finished is removed first.
void convert_to_ascii(const CommodityTable& table, const std::vector<bool>& selected);
void convert_to_binary(const CommodityTable& table, const std::vector<bool>& selected);

// The whole job: menu or command line, then the chosen direction.
void run(const std::vector<std::string>& args, const CommodityTable& table);

// One line of an ASCII file for a record: the date as YYYYMMDD (00000000 for a
// roll-over record), the four prices with `precision` decimals, the three
// counts. A precision outside 0 to 7 gives the date and the counts only.
void get_clc_record_line(const ClcRecord& record, int precision, std::string& line);

// One line of an ASCII file read back (without its line end): nothing when it
// does not read as a date, four prices and three whole numbers up to the end.
struct AsciiRecord {
    Date date;
    std::uint16_t day = 0;
    std::int64_t prices[4] = {};  // open, high, low, close, stored (scaled)
    std::int64_t counts[3] = {};
};
std::optional<AsciiRecord> read_ascii_line(std::string_view line, int precision);

// The CLC record of a line read back; the caller has checked that its prices
// fit the price width and its counts 24 bits.
ClcRecord clc_record(const AsciiRecord& ascii);

// Removes a file that a conversion began unless the conversion says it finished.
class UnfinishedFile {
public:
    explicit UnfinishedFile(std::string path) : path_(std::move(path)) {}
    ~UnfinishedFile();
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;
    void finished() { finished_ = true; }

private:
    std::string path_;
    bool finished_ = false;
};

}  // namespace qv::clcconv
