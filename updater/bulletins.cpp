#include "updater/bulletins.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/files.h"
#include "common/platform/work_file.h"
#include "common/update_file.h"

namespace qv {

namespace {

// The work file of a bulletin, in the bulletin folder.
constexpr std::string_view bulletin_work_file = "TEMP_BU.QVT";

std::string without_line_end(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

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
    // update file is merged again after a failure. An empty bulletin file is
    // no bulletin (earlier runs wrote the file in place and could leave it
    // empty when they were cut off); it goes, and the bulletin is taken again.
    const std::vector<FolderEntry> earlier = list_matching(state.bulletin_directory + "B?" + std::string(name.substr(2)));
    bool extracted = false;
    for (const FolderEntry& entry : earlier) {
        if (entry.size > 0)
            extracted = true;
        else
            delete_file(state.bulletin_directory + entry.name);
    }
    if (extracted) return;
    const std::optional<std::string> bulletin = bulletin_file_name(header);
    if (!bulletin) return;
    // Through a work file, so that the bulletin file appears whole or not at all.
    WorkFile out(state.bulletin_directory + std::string(bulletin_work_file), state.bulletin_directory + *bulletin);
    if (!out.is_open()) return;
    for (int copied = 0; copied < bulletin_line_limit && read_line(update.get(), line, clc_update_line_length);
         ++copied) {
        if (!line.empty() && line.front() == '$') break;
        line = without_line_end(std::move(line));
        line += '\n';
        std::fputs(line.c_str(), out.file());
    }
    out.commit();
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

}  // namespace qv
