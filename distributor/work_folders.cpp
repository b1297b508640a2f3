#include "distributor/work_folders.h"

#include <utility>

#include "common/platform/files.h"

namespace qv::distributor {

namespace {

std::string in_folder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':') path += '\\';
    path += name;
    return path;
}

}  // namespace

WorkFolders::WorkFolders(std::vector<std::string_view> work_names) : names_(std::move(work_names)) {}

const std::string& WorkFolders::serving(const std::string& folder) {
    if (const auto found = chosen_.find(folder); found != chosen_.end()) return found->second;
    for (const std::string& kept : kept_)
        if (on_same_mount(kept, folder)) return chosen_[folder] = kept;
    kept_.push_back(folder);
    for (const std::string_view name : names_) removals_.emplace_back(in_folder(folder, name));
    return chosen_[folder] = folder;
}

std::string WorkFolders::work_path(const std::string& folder, std::string_view name) {
    return in_folder(serving(folder), name);
}

}  // namespace qv::distributor
