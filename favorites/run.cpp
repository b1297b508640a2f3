#include "favorites/run.h"

#include <optional>
#include <vector>

#include "common/install_files.h"
#include "common/messages.h"
#include "common/metastock.h"
#include "common/output_mask.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "favorites/favourite_list.h"
#include "favorites/favourites_folder.h"
#include "favorites/meta_favourites.h"
#include "favorites/start_up.h"

namespace qv::favorites {

namespace {

// The favourite lines of a list and its favourites folder, prepared; no lines
// when the list has none.
std::vector<std::string> setup_favorite(std::string_view list_file, const std::string& root, std::string& folder,
                                        std::string& prepared) {
    std::vector<std::string> lines = read_favourite_lines(list_file);
    if (lines.empty()) return lines;
    if (root.empty()) {
        const char* key = list_file == install::favourites_ascii_list ? "ASCII PATH" : "META PATH";
        message(favorites_profile, format(" ERROR- %s MISSING IN QUORUP.INI", key));
    }
    folder = force_favorite(root);
    // A MetaStock folder that the charting program has open is left alone.
    if (list_file == install::favourites_meta_list && metastock_in_use(folder)) return {};
    prepare_favorite_folder(folder, prepared);
    return lines;
}

bool group_folders(const Settings& settings) { return settings.data_format.size() > 3 && settings.data_format[3] == 'Y'; }

}  // namespace

void ascii_favourites(const Settings& settings, const CommodityTable& commodities, std::string& prepared) {
    std::string folder;
    for (const std::string& line :
         setup_favorite(install::favourites_ascii_list, settings.ascii_path, folder, prepared)) {
        const std::optional<Favourite> favourite = parse_favourite(line);
        if (!favourite || !commodities.find_no_case(favourite->tag)) continue;
        const std::string name = determine_name(*favourite, settings.ascii_mask);
        if (name.empty()) continue;
        const std::string source_folder = group_folders(settings)
                                              ? group_folder(settings.ascii_path, favourite->tag, commodities)
                                              : settings.ascii_path + favourite->tag + "\\";
        if (source_folder.empty()) continue;
        copy_favourite(source_folder + name, folder + name);
    }
}

void meta_favourites(const Settings& settings, const CommodityTable& commodities, std::string& prepared) {
    std::string folder;
    const std::vector<std::string> lines =
        setup_favorite(install::favourites_meta_list, settings.meta_path, folder, prepared);
    if (lines.empty()) return;
    MetaFavourites favourites(folder);
    for (const std::string& line : lines) {
        const std::optional<Favourite> favourite = parse_favourite(line);
        if (!favourite || !commodities.find_no_case(favourite->tag)) continue;
        const std::string name = determine_name(*favourite, settings.meta_mask);
        if (name.empty()) continue;
        if (favourites.prep_meta(settings.meta_path + favourite->tag + "\\", name) == -1) break;
    }
    favourites.closeout_meta();
}

namespace {

// The favourites are copied: the distributor's mark that asks for them goes
// whichever way this run ends, short of being stopped.
struct PendingMarkRemoval {
    PendingMarkRemoval() = default;
    PendingMarkRemoval(const PendingMarkRemoval&) = delete;
    PendingMarkRemoval& operator=(const PendingMarkRemoval&) = delete;
    ~PendingMarkRemoval() { delete_file(install::favourites_pending); }
};

}  // namespace

void run_favorites() {
    const PendingMarkRemoval done;
    const StartUp loaded = start_up();
    const std::optional<Settings> settings = load_settings(favorites_profile, reading_settings);
    if (!settings) throw ProgramEnd{};
    std::string prepared;
    ascii_favourites(*settings, loaded.commodities, prepared);
    meta_favourites(*settings, loaded.commodities, prepared);
}

}  // namespace qv::favorites
