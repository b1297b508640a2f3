#pragma once

// The favourites folders: FAVORITE beside the user's ASCII files and beside
// the user's MetaStock folders, rebuilt from scratch on every run.

#include <cstdio>
#include <string>
#include <string_view>

namespace qv::favorites {

// The favourites folder of a root: the root followed by FAVORITE\ (a \ put
// between when the root lacks it); a root that already ends in FAVORITE is
// used as it stands, ending in \.
std::string force_favorite(std::string_view root);

// Makes the favourites folder exist and empty, once per folder in a run:
// `prepared` is the folder prepared before in this run. Each missing level is
// made by the command "MD"; a level that cannot be made ends the program with
// the favourites message.
void prepare_favorite_folder(const std::string& folder, std::string& prepared);

// Copies a file byte for byte in blocks of 30,000 bytes through a work file
// beside the copy, so that no favourite is ever seen half-copied. False when
// the source cannot be opened or the copy cannot be written (an old copy then
// stays as it was).
bool copy_favourite(std::string_view source, std::string_view target);

}  // namespace qv::favorites
