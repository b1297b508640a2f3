#pragma once

// The request file \QUORVANT\NEEDFIL2.TXT that the download step reads: the
// vendor's dial-up number, the user's id and password, "system.msg", and then
// every requested update file, one name a line, all in lower case.

#include <string>

#include "common/settings.h"
#include "request/request_list.h"

namespace qv::request {

// The text of the file. A month of EU files, held as EXyymm00.CLC, is asked
// for as euyymm00.clc.
std::string needfil2_text(const RequestList& list, const Settings& settings);

// Writes the file through a work file renamed over it. When it cannot be
// written, it is made writable ("attrib -r") and written again; when that
// fails too, "ERROR-UNABLE TO CREATE THE FILE NEEDFIL2.TXT" ends the program.
void create_needfil2(const RequestList& list, const Settings& settings);

}  // namespace qv::request
