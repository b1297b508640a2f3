#pragma once

// The reused work files of an update file's appends. A commit exchanges a
// reused work file with the file it replaces, so that the old content's blocks
// are written over for the next file instead of freed (common/platform/
// work_file.h). The work files of the first folder written on a mounted file
// system serve every folder there, the exchange being made across folders as
// well; at the end only these few are removed. A set of work files in every
// folder freed the blocks of each set at the end, every one a wait on a disk
// that discards freed blocks.

#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/work_file.h"

namespace qv::distributor {

class WorkFolders {
public:
    // The names of the work files a serving folder holds ("TEMP", or MetaStock's three).
    explicit WorkFolders(std::vector<std::string_view> work_names);
    WorkFolders(const WorkFolders&) = delete;
    WorkFolders& operator=(const WorkFolders&) = delete;

    // The folder (ending in a backslash, slash or colon) whose work files
    // serve `folder`: the first folder asked for on the same mounted file
    // system, or `folder` itself, whose work files are then removed when the
    // update file is done.
    const std::string& serving(const std::string& folder);
    // The path of the work file `name` that serves `folder`.
    std::string work_path(const std::string& folder, std::string_view name);

private:
    std::vector<std::string_view> names_;
    std::map<std::string, std::string> chosen_;
    std::vector<std::string> kept_;
    std::list<WorkFileRemoval> removals_;
};

}  // namespace qv::distributor
