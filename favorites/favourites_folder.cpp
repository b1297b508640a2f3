#include "favorites/favourites_folder.h"

#include <vector>

#include "common/messages.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "common/tool.h"

namespace qv::favorites {

namespace {

constexpr std::string_view favourite_folder_name = "FAVORITE";
constexpr std::size_t copy_block = 30'000;
// The work file of a copy, in the favourites folder.
constexpr std::string_view copy_work_file = "TEMP_FAV.QVT";

bool ends_with_no_case(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equal_no_case(text.substr(text.size() - tail.size()), tail);
}

std::string folder_of(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

// Each level of the folder in turn, from the first below the drive or root.
void make_folder_levels(const std::string& folder) {
    for (std::size_t at = folder.find_first_of("\\/", 1); ; at = folder.find_first_of("\\/", at + 1)) {
        const std::string level = at == std::string::npos ? folder : folder.substr(0, at);
        if (!level.empty() && level.back() != ':' && !folder_exists(level) && run_command("MD " + level) != 0)
            message(favorites_profile, format(" ERROR- COULD NOT CREATE THE DIRECTORY: %s", level.c_str()));
        if (at == std::string::npos) break;
    }
}

}  // namespace

std::string force_favorite(std::string_view root) {
    std::string folder(root);
    const std::string_view bare = !folder.empty() && folder.back() == '\\' ? root.substr(0, root.size() - 1) : root;
    if (ends_with_no_case(bare, favourite_folder_name)) return std::string(bare) + "\\";
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + std::string(favourite_folder_name) + "\\";
}

void prepare_favorite_folder(const std::string& folder, std::string& prepared) {
    if (folder == prepared) return;
    prepared = folder;
    const std::string bare = folder.substr(0, folder.size() - 1);
    if (!folder_exists(bare))
        make_folder_levels(bare);
    else
        run_command("ERASE " + bare + "\\*.* /F/Q");
}

bool copy_favourite(std::string_view source, std::string_view target) {
    const FilePtr in = open_file(source, "rb");
    if (!in) return false;
    WorkFile work(folder_of(target) + std::string(copy_work_file), target);
    if (!work.is_open()) return false;
    std::vector<char> block(copy_block);
    while (const std::size_t got = std::fread(block.data(), 1, block.size(), in.get()))
        if (std::fwrite(block.data(), 1, got, work.file()) != got) return false;
    if (std::ferror(in.get())) return false;
    return work.commit();
}

}  // namespace qv::favorites
