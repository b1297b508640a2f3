// qsl --menu FILE: a menu file offered from the command line. On a terminal
// its menus are shown in text mode and the chosen items' code runs; without
// one the menus are listed; with an item's identifier that item runs.
#pragma once

#include <string>

#include "qsleng32.h"

namespace qsl_host {

// The identifier the first item of the menu file gets.
constexpr int first_menu_command = 1000;

// The host's post_command interface: a hot key's command waits here until
// the menu loop takes it.
void remember_posted_command(void* user, QslHandle window, int command);

// Runs the menu file on the set-up instance; item empty: show or list the
// menus. The exit status: 0 when the menus were left or listed, or the item
// ended normally or by EXIT; 1 otherwise.
int run_menu_file(QslHandle instance, const std::string& file, const std::string& item);

}  // namespace qsl_host
