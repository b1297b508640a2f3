#pragma once

#include <string_view>

namespace qv::updater {

// Shows the tag of the commodity being merged in its progress field.
void show_merge_tag(std::string_view tag);

// A key pressed during a merge is read and passed over; the question is
// recorded for the user, who is not there to answer it.
void check_merge_key();

}  // namespace qv::updater
