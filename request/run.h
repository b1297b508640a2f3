#pragma once

// The request preparation's run, before each download: it clears what the
// previous run left, works out which update files the databases still lack,
// leaves out what already waits in the update folder, and writes the request
// file \QUORVANT\NEEDFIL2.TXT. It shows nothing unless it fails.

#include <string>

#include "request/request_list.h"

namespace qv::request {

void run_request();

// Deletes every empty file of \QUORVANT\UPDATES\ whose name begins with D or E:
// a download that failed leaves them.
void delete_zero_files();

// Creates \QUORVANT\MAIL\POSITION.QVT, read-only, with today's day number on
// each of its two lines, when it does not exist; ends the program when it
// cannot be created.
void create_position_file(DayNumber today);

// Lists every update file that waits in the folder (ending in a backslash),
// received and not yet merged, with status M.
void get_old_received(RequestList& list, const std::string& update_folder);

}  // namespace qv::request
