#include "updater/bulletins.h"

#include <cstdio>
#include <string>

#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/update_file.h"

namespace qv::updater {

namespace {


}  // namespace

void extract_bulletin(const UpdaterState& state, std::string_view name) {
    const FilePtr update = open_file(state.update_directory + std::string(name), "r");
    if (!update) return;
    std::string header;
    std::string line;
    if (!read_line(update.get(), header, clc_update_line_length)) return;
    if (!read_line(update.get(), line, clc_update_line_length) || line.empty() || line.front() != '$') return;
    if (name.size() < 3) return;

    // Once extracted, shown or not, a bulletin is not taken again: the same
    // update file is merged again after a failure.
    if (!list_matching(state.bulletin_directory + "B?" + std::string(name.substr(2))).empty()) return;
    const std::optional<std::string> bulletin = bulletin_file_name(header);
    if (!bulletin) return;
    const FilePtr out = open_file(state.bulletin_directory + *bulletin, "w");
    if (!out) return;
    for (int copied = 0; copied < bulletin_line_limit && read_line(update.get(), line, clc_update_line_length);
         ++copied) {
        if (!line.empty() && line.front() == '$') break;
        line = without_line_end(std::move(line));
        line += '\n';
        std::fputs(line.c_str(), out.get());
    }
}

void show_bulletins(const UpdaterState& state) {
    const std::string& folder = state.bulletin_directory;
    for (const FolderEntry& entry : list_matching(folder + "BU??????.???")) {
        const FilePtr bulletin = open_file(folder + entry.name, "r");
        if (!bulletin) continue;
        std::string shown = entry.name;
        shown[1] = '_';
        delete_file(folder + shown);
        rename_file(folder + entry.name, folder + shown);
        if (!state.message_mode) continue;
        updater_message("\n");
        std::string line;
        while (read_line(bulletin.get(), line, clc_update_line_length)) updater_message(without_line_end(line));
    }
}

}  // namespace qv::updater
