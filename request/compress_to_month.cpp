#include "request/compress_to_month.h"

#include <optional>
#include <vector>

#include "common/platform/text.h"

namespace qv::request {

namespace {

std::string_view kind_of(std::string_view name) { return name.substr(0, 2); }
std::string_view extension_of(std::string_view name) { return name.size() > 8 ? name.substr(8) : std::string_view(); }

bool same_kind(std::string_view a, std::string_view b) {
    return equal_no_case(kind_of(a), kind_of(b)) && equal_no_case(extension_of(a), extension_of(b));
}

bool is_cot(std::string_view name) { return equal_no_case(extension_of(name), ".COT"); }

// The next request of a series: the next weekday, or a week on for COT reports.
DayNumber next_in_series(DayNumber day, bool cot) { return cot ? static_cast<DayNumber>(day + 7) : next_weekday(day); }

bool same_month(DayNumber a, DayNumber b) {
    const Date x = lotus_to_date(a);
    const Date y = lotus_to_date(b);
    return x.year == y.year && x.month == y.month;
}

bool starts_month(DayNumber day, bool cot) {
    const Date date = lotus_to_date(day);
    if (cot) return date.day <= 7;
    return next_weekday(static_cast<DayNumber>(date_to_lotus(date.year, date.month, 1) - 1)) == day;
}

bool ends_month(DayNumber day, bool cot) { return !same_month(day, next_in_series(day, cot)); }

// Whether the list holds a file of the entry's kind for the month after the entry's.
bool holds_following_month(const std::vector<RequestEntry>& entries, const RequestEntry& entry) {
    const Date date = lotus_to_date(entry.day);
    const int month = date.month % 12 + 1;
    const int year = date.month == 12 ? date.year + 1 : date.year;
    const std::string month_part = format("%02d%02d", year % 100, month);
    for (const RequestEntry& other : entries)
        if (same_kind(other.name, entry.name) && other.name.substr(2, 4) == month_part) return true;
    return false;
}

// The entries of the month that starts at `first`, when the list asks for the
// whole month: `first` and every later request of its kind up to the month's
// last. Entries of other kinds between them are passed over.
std::optional<std::vector<std::size_t>> whole_month(const std::vector<RequestEntry>& entries, std::size_t first) {
    const RequestEntry& start = entries[first];
    const bool cot = is_cot(start.name);
    std::vector<std::size_t> members{first};
    DayNumber day = start.day;
    for (std::size_t j = first + 1; !ends_month(day, cot); ++j) {
        if (j == entries.size()) return std::nullopt;
        const RequestEntry& entry = entries[j];
        if (!same_kind(entry.name, start.name)) continue;
        if (entry.status != requested || entry.day != next_in_series(day, cot)) return std::nullopt;
        members.push_back(j);
        day = entry.day;
    }
    if (!cot && !holds_following_month(entries, entries[members.back()])) return std::nullopt;
    return members;
}

bool may_start_month(const RequestEntry& entry) {
    if (entry.status != requested || entry.day == no_date || entry.name.size() < 12) return false;
    const char first = entry.name[0];
    if (first != 'D' && first != 'E') return false;
    return starts_month(entry.day, is_cot(entry.name));
}

// DU becomes MU, EU becomes EX, and the day digits become 00.
void rename_to_month(RequestEntry& entry) {
    if (entry.name[0] == 'D')
        entry.name[0] = 'M';
    else
        entry.name.replace(0, 2, "EX");
    entry.name.replace(6, 2, "00");
    entry.day = no_date;
}

}  // namespace

void compress_to_month(RequestList& list) {
    std::vector<RequestEntry>& entries = list.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!may_start_month(entries[i])) continue;
        const std::optional<std::vector<std::size_t>> month = whole_month(entries, i);
        if (!month) continue;
        rename_to_month(entries[i]);
        for (std::size_t k = month->size(); k-- > 1;)
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>((*month)[k]));
    }
}

}  // namespace qv::request
