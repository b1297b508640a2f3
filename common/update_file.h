#pragma once

// The vendor's update files: their names (KSYYMMDD.EXT), the header line that
// repeats the name, the optional embedded bulletin, and the line source that
// every reader of an update file uses to get at the data lines.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/platform/files.h"

namespace qv {

// The database kind an update file carries, from its extension.
enum class DatabaseKind { clc, cot, idx };

std::optional<DatabaseKind> database_kind(std::string_view extension);

// Longest line of an update file of the kind, line end included.
inline constexpr std::size_t clc_update_line_length = 149;
inline constexpr std::size_t cot_update_line_length = 149;
inline constexpr std::size_t idx_update_line_length = 209;
std::size_t update_line_length(DatabaseKind kind);

// A name of the update folder, KSYYMMDD.EXT: K the update type (D daily, M or Y
// several days, E for the distributor, B a bulletin), S the processing state
// (U received, B waiting for the broadcast, _ done), YYMMDD the name date
// (year 2000 + YY) and EXT the database kind.
struct UpdateFileName {
    std::string text;  // the 12 characters, upper case
    char type = 0;
    char state = 0;
    std::string date;       // the six digits YYMMDD
    std::string extension;  // "CLC", "COT", "IDX", or another

    std::optional<DatabaseKind> kind() const { return database_kind(extension); }
    DayNumber day() const { return name_date(text); }
    // The same name in another processing state ("DU201207.CLC" -> "D_201207.CLC").
    std::string in_state(char new_state) const;
};

// Reads a name of the update folder: 12 characters, a letter, a letter or "_",
// six digits, a dot and three letters (any case). Anything else is not an
// update file name.
std::optional<UpdateFileName> parse_update_file_name(std::string_view name);

// A name taken from inside a file (a header line, a bulletin's name) becomes a
// file name only in this form: two letters, six digits, a dot, three letters.
// That keeps separators, "..", blanks and control characters of a damaged or
// hostile file out of the update and bulletin folders.
bool is_proper_update_file_name(std::string_view name);

// The name a header line gives its file: the first 12 characters of a line
// that begins with "DU" or "MU" (any case), upper-cased, when they are a proper
// update file name; nothing otherwise.
std::optional<std::string> header_file_name(std::string_view line);

// Name normalising: the first up to 10 lines of the file are read; the first
// one that begins with "DU" or "MU" names the file, if its name is proper.
// Nothing when the file cannot be read, has no such line, or that line does not
// hold a proper name.
std::optional<std::string> read_header_file_name(std::string_view path);

// The bulletin file for an update file's header line: "BU" and characters 3 to
// 12 of the line, when that is a proper update file name.
std::optional<std::string> bulletin_file_name(std::string_view header_line);

// The commodity tag test of a data line's first two characters, after
// upper-casing: the first a letter A to Z, the second from "0" to "_" in
// character order; COT and IDX lines want the second above "0".
bool is_valid_tag(std::string_view line, DatabaseKind kind);

// The lines of one update file, read one at a time in the fgets manner of the
// system but without splitting: a line longer than the kind's limit is cut at
// the limit and the rest of it is dropped, so that the tail of a long line is
// never taken for a line of its own. Lines keep their line feed (when they had
// one), because several rules count it.
class UpdateLineSource {
public:
    UpdateLineSource(FilePtr file, std::size_t line_length);

    // Opens the file as text; nothing when it cannot be opened.
    static std::optional<UpdateLineSource> open(std::string_view path, std::size_t line_length);

    // The next line; false at the end of the file.
    bool next(std::string& line);
    // The next line without taking it; null at the end of the file.
    const std::string* peek();
    // Puts a line back: the next call of next() or peek() gives it again.
    void unread(std::string line);
    // The last line read was cut at the limit.
    bool last_was_cut() const { return last_cut_; }

    // Every reader's start: lines shorter than 5 characters (line end counted)
    // are skipped, the next line is the header line, and a bulletin block after
    // it is passed over. Returns the header line; nothing when the file ends
    // before one. A file that ends inside its bulletin block has no data lines.
    std::optional<std::string> skip_header();

    // Passes over an embedded bulletin when the next line begins with "$": all
    // lines up to and including the next line that begins with "$".
    void skip_bulletin();

private:
    bool read_physical(std::string& line, bool& cut);

    FilePtr file_;
    std::size_t line_length_;
    std::vector<std::string> pushed_;
    std::vector<bool> pushed_cut_;
    bool last_cut_ = false;
};

// The data lines of one update file that the broadcast uses.
struct BroadcastLines {
    std::string date;                       // the six characters after "DU" in the header
    std::vector<std::string> lines;         // the lines of that date, line ends removed
    std::vector<std::string> rolled_tags;   // tags of the lines that follow a roll-over line
    std::vector<std::string> messages;      // for the message file, in order
};

// Most lines of one date that the broadcast takes from a file.
inline constexpr std::size_t broadcast_line_limit = 300;

// Reads \QUORVANT\UPDATES\ + name for the broadcast: lines shorter than 10
// characters are skipped, the next one must begin with "DU" and gives the date,
// a bulletin block is passed over, and the data lines carrying that date are
// kept. An unreadable file or a missing DU line leaves the table empty.
BroadcastLines read_broadcast_lines(std::string_view name);

}  // namespace qv
