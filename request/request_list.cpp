#include "request/request_list.h"

#include <algorithm>
#include <set>

#include "common/platform/text.h"

namespace qv::request {

std::string request_name(std::string_view kind, DayNumber day, std::string_view extension) {
    const Date date = lotus_to_date(day);
    return format("%.2s%02d%02d%02d.%.3s", kind.data(), date.year % 100, date.month, date.day, extension.data());
}

bool RequestList::add(RequestEntry entry) {
    if (entries_.size() >= request_list_size) return false;
    entries_.push_back(std::move(entry));
    return true;
}

bool RequestList::holds(std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const RequestEntry& entry) { return equal_no_case(entry.name, name); });
}

void RequestList::delete_dup_files() {
    std::set<std::string> known;
    for (const RequestEntry& entry : entries_)
        if (entry.status == waiting) known.insert(to_upper(entry.name));
    std::erase_if(entries_, [&](const RequestEntry& entry) {
        return entry.status == requested && !known.insert(to_upper(entry.name)).second;
    });
}

}  // namespace qv::request
