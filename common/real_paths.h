#pragma once

// The suite's messages name installation paths the DOS way (\QUORVANT\...,
// C:\QUORVANT\META\SP\). On Linux a user needs the real folder too: it follows
// the message on standard error, in one added line, and the message itself
// stays as the suite writes it.

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The DOS-style paths a message names: words that begin with a backslash or
// with a drive letter and a backslash.
std::vector<std::string> installation_paths(std::string_view text);

// "(\QUORVANT\META\SP\ is /srv/quorvant/META/SP/)" for the paths of the
// message; empty when it names none.
std::string real_paths_line(std::string_view text);

// Writes that line, when there is one, to standard error.
void show_real_paths(std::string_view text);

}  // namespace qv
