#include "common/front_door.h"

#include <string>

#include "common/platform/console.h"

namespace qv {

namespace {

bool asks_for_help(std::string_view argument) {
    return argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?";
}

std::string version_line(const ProgramAbout& about) {
    std::string line(about.name);
    if (!about.version.empty()) line += " " + std::string(about.version);
    return line + " (Quorvant suite " + std::string(suite_version) + ")\n";
}

std::string help_text(const ProgramAbout& about) {
    return "Usage: " + std::string(about.usage) + "\n\n" + std::string(about.text) + "\n" +
           std::string(environment_help);
}

}  // namespace

bool answer_front_door(const ProgramAbout& about, std::span<const std::string_view> arguments) {
    for (const std::string_view argument : arguments) {
        if (asks_for_help(argument)) {
            console().write(help_text(about));
        } else if (argument == "--version") {
            console().write(version_line(about));
        } else {
            continue;
        }
        console().flush();
        return true;
    }
    return false;
}

}  // namespace qv
