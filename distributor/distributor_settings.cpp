#include "distributor/distributor_settings.h"

#include <string>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/install_files.h"

namespace qv::distributor {

namespace {

constexpr std::string_view settings_file = install::settings_file;
constexpr std::string_view backup_file = install::settings_backup;

// The "=" must leave room for a key of at least three characters and stand
// within the key column of the file.
constexpr std::size_t first_equal_index = 3;
constexpr std::size_t last_equal_index = 30;

std::string folder_value(std::string_view value) {
    std::string folder(value);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

// One line of the file with the rest of an overlong line passed over; false at
// the end of the file.
bool next_settings_line(std::FILE* file, std::string& line) {
    if (!read_limited_line(file, line, distributor_settings_line_length)) return false;
    if (line.back() == '\n') line.pop_back();
    return true;
}

}  // namespace

void read_distributor_setting(std::string_view text, DistributorSettings& settings) {
    // The user code is the one value whose case matters.
    const std::string line = starts_with_no_case(text, "USERCD") ? std::string(text) : to_upper(text);
    if (line.starts_with("**")) return;
    const std::size_t equal = line.find('=', 2);
    if (equal == std::string::npos || equal < first_equal_index || equal > last_equal_index) return;

    std::string_view key(line.data(), equal);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    std::string_view value(line);
    value.remove_prefix(equal + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);

    if (key == "EXTENDED CONTRACTS") {
        settings.extended_contracts = value.empty() ? ' ' : value.front();
    } else if (key == "ASCII PATH") {
        settings.ascii_path = folder_value(value);
    } else if (key == "META PATH") {
        settings.meta_path = folder_value(value);
    } else if (key == "ASCII MASK") {
        settings.ascii_mask = std::string(value.substr(0, 12));
    } else if (key == "META MASK") {
        settings.meta_mask = std::string(value.substr(0, 12));
    } else if (key == "DATA FORMAT") {
        settings.data_format = std::string(value.substr(0, 4));
    }
}

DistributorSettings read_distributor_settings(std::FILE* file) {
    DistributorSettings settings;
    std::string line;
    while (next_settings_line(file, line)) read_distributor_setting(line, settings);
    return settings;
}

DistributorSettings read_distributor_settings() {
    make_writable(settings_file);
    FilePtr file = open_file(settings_file, "r");
    // The backup takes the settings file's place only when there is one, so
    // that a settings file that cannot be read is not deleted for nothing.
    if (!file && file_exists(backup_file)) {
        delete_file(settings_file);
        rename_file(backup_file, settings_file);
        file = open_file(settings_file, "r");
    }
    if (!file) {
        message(distributor_profile, settings_missing_message);
        throw ProgramEnd{};
    }
    return read_distributor_settings(file.get());
}

}  // namespace qv::distributor
