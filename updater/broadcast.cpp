#include "updater/broadcast.h"

#include <cstdio>
#include <string>

#include "common/build_settings.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view bcast_file = install::broadcast_list_file;
constexpr std::string_view work_file = install::broadcast_work_list;
// BCAST.TXT lines are read 44 characters at a time.
constexpr std::size_t bcast_line_length = 44;

// A build file name as BCAST.TXT gives it, without blanks, commas, line ends
// and backslashes around it.
std::string trimmed_name(std::string_view line) {
    constexpr std::string_view trim = " ,\r\n\\";
    const std::size_t first = line.find_first_not_of(trim);
    if (first == std::string_view::npos) return {};
    const std::size_t last = line.find_last_not_of(trim);
    return std::string(line.substr(first, last - first + 1));
}

void copy_all(std::FILE* from, std::FILE* to) {
    char piece[4096];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, from)) > 0) std::fwrite(piece, 1, got, to);
}

}  // namespace

namespace {

// The build settings every option set of the broadcast starts from.
BuildSettings build_map_defaults;

}  // namespace

void load_build_map_defaults() { build_map_defaults = load_last_settings(LastMapStart::date_format); }

void prepare_broadcast(UpdaterState& state) {
    if (!file_exists(bcast_file)) return;
    const FilePtr out = open_file(work_file, "w");
    if (!out) {
        updater_message("ERROR-CAN'T CREATE TEMP FILE 'AUTOBLDX.TMP'@BROADCASTING OF UPDATES ABORTED");
        return;
    }
    if (const FilePtr list = open_file(bcast_file, "r")) {
        std::string line;
        while (read_line(list.get(), line, bcast_line_length) && line.size() >= 3) {
            const std::string name = trimmed_name(line);
            if (name.empty()) continue;
            FilePtr build = open_file(name, "r");
            const std::string in_auto = std::string(install::auto_folder) + name;
            if (!build) build = open_file(in_auto, "r");
            if (!build) {
                updater_message(
                    format("ERROR-COULDN'T OPEN FILE %s,@BROADCASTING WITH THIS FILE BYPASSED", in_auto.c_str()));
                continue;
            }
            std::fputs(("\n" + name + "\n").c_str(), out.get());
            copy_all(build.get(), out.get());
        }
    }
    state.broadcast_ready = true;
}

void broadcast(UpdaterState&) {}

}  // namespace qv::updater
