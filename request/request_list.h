#pragma once

// The request list of one run: the update files that already wait in the
// update folder (status M) and the update files to ask the download for
// (status D), in the order they were found and worked out.
//
// Request names are KSyymmdd.EXT: DU daily files of the CLC, IDX and COT
// databases (COT files dated on their report's Tuesday, with SM and SX as the
// report's second and third files), EU daily files of the individual
// contracts. A whole month of a kind becomes one month file, MUyymm00.EXT, or
// for EU files EXyymm00.CLC (asked for as euyymm00.clc).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"

namespace qv::request {

inline constexpr char waiting = 'M';
inline constexpr char requested = 'D';

// The list holds at most this many entries; once it holds more than
// request_list_full it is full.
inline constexpr std::size_t request_list_size = 998;
inline constexpr std::size_t request_list_full = 997;

struct RequestEntry {
    char status = requested;
    std::string name;
    DayNumber day = no_date;  // the day a daily or weekly request is for; no_date for the others
};

// "KSyymmdd.EXT" for a kind such as "DU" and an extension such as "CLC".
std::string request_name(std::string_view kind, DayNumber day, std::string_view extension);

class RequestList {
public:
    // False when the list has no room left.
    bool add(RequestEntry entry);
    bool full() const { return entries_.size() > request_list_full; }
    std::size_t size() const { return entries_.size(); }
    const std::vector<RequestEntry>& entries() const { return entries_; }
    std::vector<RequestEntry>& entries() { return entries_; }

    // Whether an entry of any status has the name (without regard to case).
    bool holds(std::string_view name) const;

    // Removes every request for a file that already waits, and a request
    // listed twice, so that no file is asked for twice.
    void delete_dup_files();

private:
    std::vector<RequestEntry> entries_;
};

}  // namespace qv::request
