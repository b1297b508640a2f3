#include "builder/build_file.h"

#include <cstdio>

#include "common/messages.h"
#include "common/platform/paths.h"
#include "common/platform/run_status.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/install_files.h"

namespace qv::builder {

LineKind classify_line(std::string_view line) {
    if (line.empty()) return LineKind::blank;
    if (line.front() == '#') return LineKind::option;
    // A bare "REM" has lost its trailing blank with the others: still a comment.
    if (line.starts_with("REM") && (line.size() == 3 || line[3] == ' ' || line[3] == ':')) return LineKind::comment;
    return LineKind::other;
}

bool is_roll_list(std::string_view build_file) { return to_upper(build_file).find("$ROLL") != std::string::npos; }

bool read_build_line(std::FILE* file, std::string& line) {
    if (!read_whole_line(file, line)) return false;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.pop_back();
    }
    line = to_upper(line);
    return true;
}

std::string build_file_hint() {
    return "DFORGE $BUILDFILE: a build file name begins with $ (quote it in a shell: DFORGE '$GOLD'); it is "
           "looked for in the working directory, then in " + translate_path(install::auto_folder).string() + "/";
}

namespace {

void show_build_file_hint() {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", build_file_hint().c_str());
}

}  // namespace

std::string build_file_argument(const std::vector<std::string_view>& arguments) {
    if (arguments.size() != 1) {
        show_build_file_hint();
        fatal_error(builder_profile, "ERROR - NO SCRIPT FILE SPECIFIED");
    }
    const std::string name(arguments.front());
    if (name.empty() || name.front() != '$') {
        show_build_file_hint();
        fatal_error(builder_profile, format("ERROR - INVALID SCRIPT FILE = %s", name.c_str()));
    }
    return name;
}

FilePtr open_build_file(std::string_view name) {
    FilePtr file = open_file(name, "r");
    if (!file) file = open_file(std::string(install::auto_folder) + std::string(name), "r");
    if (!file) {
        note_failed_run();
        show_build_file_hint();
        message(builder_profile, "UNABLE TO LOCATE AUTO BUILD FILE@" + std::string(name));
    }
    return file;
}

bool may_write_output(const BuildSettings& settings, std::string_view path) {
    if (settings.overwrite_output_file != 'N' || !file_exists(path)) return true;
    return ask_yes_no("WARNING!! OUTPUT FILE EXISTS, OVERWRITE IT? (Y OR N):");
}

}  // namespace qv::builder
