#include "common/holidays.h"

#include <algorithm>
#include <optional>
#include <string>

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv {

namespace {

// Lines of HOLIDAYS.QVT are read into buffers of 79 characters.
constexpr std::size_t line_limit = 79;

constexpr const char* too_many_message = "TOO MANY HOLIDAYS, CAN'T LOAD HOLIDAY FILE INTO MEMORY";

// Reads one whole line: at most 79 characters are kept with the line end, the
// rest of an overlong line is dropped instead of being read as a line of its own.
bool next_line(std::FILE* file, std::string& line) { return read_limited_line(file, line, line_limit); }

// A two-character number field: two digits, or a blank and a digit.
std::optional<int> field(std::string_view line, std::size_t from) {
    if (from + 2 > line.size()) return std::nullopt;
    const char first = line[from];
    const char second = line[from + 1];
    if (second < '0' || second > '9') return std::nullopt;
    if (first == ' ') return second - '0';
    if (first < '0' || first > '9') return std::nullopt;
    return (first - '0') * 10 + (second - '0');
}

int days_in_month(int year, int month) {
    static constexpr int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && year % 4 != 0) return 28;
    return days[month - 1];
}

// A date a day number can hold: 1 March 1900 to 4 June 2079.
bool has_day_number(int year, int month, int day) {
    if (year == 1900 && month < 3) return false;
    if (year > 2079) return false;
    return !(year == 2079 && (month > 6 || (month == 6 && day > 4)));
}

// The line as it is shown after a message: control bytes are shown as "?" so
// that a damaged file cannot disturb the console; the line ends with its line feed.
std::string shown_line(std::string_view line) {
    std::string shown;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        shown.push_back(c == '\n' || (byte >= 0x20 && byte != 0x7F) ? c : '?');
    }
    if (shown.empty() || shown.back() != '\n') shown.push_back('\n');
    return shown;
}

class HolidayLoader {
public:
    HolidayLoader(const HolidayRules& rules, const HolidayWarning& show_warning)
        : rules_(rules), show_warning_(show_warning) {}

    HolidayTable load();

private:
    // A fault of the file: the end of the program, or for the tools that only
    // warn, a warning after which loading goes on.
    void fault(const std::string& message);
    void warn(const std::string& message);
    // The day number of a holiday line; nothing when the line is faulty (the
    // fault has then been reported).
    std::optional<DayNumber> read_holiday(const std::string& line);
    void expiry_note(const std::vector<DayNumber>& days);

    const HolidayRules& rules_;
    const HolidayWarning& show_warning_;
};

void HolidayLoader::warn(const std::string& message) {
    if (show_warning_) {
        show_warning_(message);
    } else {
        console().write(message.back() == '\n' ? message : message + "\n");
    }
}

void HolidayLoader::fault(const std::string& message) {
    if (rules_.warnings_only) {
        warn(message);
        return;
    }
    // A tool that shows its messages elsewhere (the post-download processing's
    // notice in the message file) is given the fault before the end.
    if (show_warning_)
        show_warning_(message);
    else
        console().write(message.back() == '\n' ? message : message + "\n");
    throw ProgramEnd{};
}

std::optional<DayNumber> HolidayLoader::read_holiday(const std::string& line) {
    // MM/DD/YY CC: any separators in characters 3, 6 and 9.
    const auto month = field(line, 0);
    const auto day = field(line, 3);
    const auto year = field(line, 6);
    const auto century = field(line, 9);
    const char* bad_line = rules_.warnings_only ? "WARNING IN HOLIDAYS.QVT FILE, LINE = "
                                                : "ERROR IN HOLIDAYS.QVT FILE, LINE = ";
    if (!century || (*century != 19 && *century != 20)) {
        fault((rules_.warnings_only ? std::string(bad_line) : std::string("BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = ")) +
              shown_line(line));
        return std::nullopt;
    }
    const int full_year = year ? *century * 100 + *year : 0;
    // Impossible dates (30 February) and dates outside the day-number range are
    // refused too: they would mark some other day as a holiday.
    if (!month || !day || !year || *month < 1 || *month > 12 || *day < 1 ||
        *day > days_in_month(full_year, *month) || !has_day_number(full_year, *month, *day)) {
        fault(bad_line + shown_line(line));
        return std::nullopt;
    }
    return date_to_lotus(full_year, *month, *day);
}

void HolidayLoader::expiry_note(const std::vector<DayNumber>& days) {
    const DayNumber current = today();
    const DayNumber last = days.empty() ? no_date : days.back();
    if (last < current) {
        console().write("WARNING-HOLIDAY FILE HAS EXPIRED!!\n");
    } else if (last - current < 60) {
        console().print("NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = %d\n", last - current);
    }
}

HolidayTable HolidayLoader::load() {
    // Most tools read the file in the working directory, which is the install
    // folder when they run as installed; when the install folder is given by
    // QUORVANT_ROOT instead, its file is read.
    FilePtr file;
    if (!rules_.in_install_folder) file = open_file("HOLIDAYS.QVT", "r");
    if (!file) file = open_file(install::holidays_file, "r");
    if (!file) {
        if (rules_.warnings_only) {
            warn("WARNING, could not open the holiday file HOLIDAYS.QVT");
            return {};
        }
        fault("ERROR, could not open the holiday file HOLIDAYS.QVT");
    }
    std::vector<DayNumber> days;
    std::string line;
    while (next_line(file.get(), line) && line.size() >= 3) {
        const auto holiday = read_holiday(line);
        if (!holiday) continue;
        if (days.size() >= rules_.bound) {
            // Where the tool goes on, the holidays kept so far stay in use and the
            // rest of the file is not read.
            if (rules_.overflow == HolidayOverflow::warning_screen) {
                warning_screen(too_many_message);
            } else if (rules_.overflow == HolidayOverflow::warn) {
                warn(too_many_message);
            } else {
                fault(too_many_message);
            }
            break;
        }
        days.push_back(*holiday);
    }
    expiry_note(days);
    return HolidayTable(std::move(days));
}

}  // namespace

bool HolidayTable::contains(DayNumber day) const {
    if (ascending_) return std::binary_search(days_.begin(), days_.end(), day);
    return std::find(days_.begin(), days_.end(), day) != days_.end();
}

HolidayTable load_holidays(const HolidayRules& rules, const HolidayWarning& show_warning) {
    return HolidayLoader(rules, show_warning).load();
}

}  // namespace qv
