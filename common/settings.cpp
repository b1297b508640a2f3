// Loading and saving the settings file, with the updater's checks.

#include "common/settings.h"

#include <algorithm>
#include <cstdio>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv {

namespace {

constexpr std::string_view settings_path = install::settings_file;
constexpr std::string_view backup_path = install::settings_backup;
constexpr std::string_view work_path = install::settings_work_file;

// 6 June 2008: an EU LAST DATE before it is taken for a stale or damaged one.
constexpr DayNumber earliest_eu_last_date = 39605;
// 14 November 2001: from the day after, the vendor's numbers of the dial-number rule hold.
constexpr DayNumber dial_number_change = 37209;

// One line of the file without its line end. A line longer than the settings
// buffer keeps its first characters; the rest of it is dropped instead of being
// read as a line of its own, where it could pose as another key.
bool read_settings_line(std::FILE* file, std::string& line) {
    if (!read_line(file, line, settings_line_length + 1)) return false;
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        return true;
    }
    std::string rest;
    while (read_line(file, rest, settings_line_length + 1))
        if (!rest.empty() && rest.back() == '\n') break;
    return true;
}

std::string digits_of(std::string_view number) {
    std::string digits;
    for (char c : number)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

void report_work_file(const ToolProfile& tool, const SettingsRules& rules) {
    if (rules.work_file_message_is_fatal)
        fatal_error(tool, rules.work_file_message);
    else
        message(tool, rules.work_file_message);
}

}  // namespace

const SettingsRules updater_settings{SettingsLayout::complete, true, true, true,
                                     " COULD NOT OPEN TEMPORARY WORK FILE 0001", true};
const SettingsRules request_settings{SettingsLayout::reduced, false, true, true,
                                     " COULD NOT OPEN TEMPORARY WORK FILE 0001", true};
const SettingsRules postdownload_settings{SettingsLayout::reduced, false, true, false,
                                          " COULD NOT OPEN TEMPORARY WORK FILE 0001@DOWNLOADING ABORTED", false};
const SettingsRules reading_settings{SettingsLayout::complete, false, false, true,
                                     " COULD NOT OPEN TEMPORARY WORK FILE 0001", true};

DayNumber newest_eu_update_date(DayNumber today) {
    DayNumber newest = no_date;
    for (const FolderEntry& entry : list_matching(std::string(install::updates_folder) + "E*.*"))
        if (!entry.is_folder) newest = std::max(newest, name_date(entry.name));
    return newest != no_date ? newest : static_cast<DayNumber>(today > 10 ? today - 10 : 0);
}

void check_eu_last_date(Settings& settings, DayNumber today) {
    if (settings.eu_last_date >= earliest_eu_last_date) return;
    settings.eu_last_date = newest_eu_update_date(today);
}

bool apply_dial_number_rule(Settings& settings, DayNumber today) {
    if (today <= dial_number_change || !settings.has(SettingsKey::dial_number)) return false;
    const std::string digits = digits_of(settings.dial_number);
    std::string_view replacement;
    if (digits.find(digits_of(former_vendor_exchange)) != std::string::npos)
        replacement = vendor_dial_in_lines[0];
    else if (digits == digits_of(vendor_dial_in_lines[0]))
        replacement = vendor_dial_in_lines[1];
    else if (digits == digits_of(vendor_dial_in_lines[1]))
        replacement = vendor_dial_in_lines[0];
    // A number of neither kind is the user's own choice and stays.
    if (replacement.empty() || replacement == settings.dial_number) return false;
    settings.dial_number = replacement;
    return true;
}

std::optional<Settings> load_settings(const ToolProfile& tool, const SettingsRules& rules) {
    FilePtr file = open_file(settings_path, "r");
    if (!file && open_file(backup_path, "r")) {
        // The backup takes the settings file's place; should the rename fail,
        // it is read where it is.
        file = rename_file(backup_path, settings_path) ? open_file(settings_path, "r") : open_file(backup_path, "r");
    }
    if (!file) {
        fatal_error(tool, " ERROR, could not open the initialization file QUORUP.INI ");
        return std::nullopt;
    }
    SettingsReader reader;
    std::string line;
    while (read_settings_line(file.get(), line)) reader.read_line(line);
    file.reset();

    Settings settings = reader.settings();
    const DayNumber day = today();
    if (rules.updater_checks) {
        for (const std::string& text : reader.messages()) message(tool, text);
        if (settings.has(SettingsKey::eu_last_date)) check_eu_last_date(settings, day);
        for (SettingsKey key : missing_settings_keys(settings)) {
            const std::string_view name = key_name(key);
            message(tool, format("WARNING-MISSING ITEM %.*s FROM QUORUP.INI FILE.", int(name.size()), name.data()));
        }
    }
    if (rules.dial_number_rule && apply_dial_number_rule(settings, day)) save_settings(settings, tool, rules);
    return settings;
}

bool save_settings(const Settings& settings, const ToolProfile& tool, const SettingsRules& rules) {
    const std::string text = settings_file_text(settings, rules.layout);
    WorkFile work(work_path, settings_path);
    if (!work.is_open()) {
        report_work_file(tool, rules);
        return false;
    }
    // The new file must be whole before the old one is moved aside.
    if (std::fwrite(text.data(), 1, text.size(), work.file()) != text.size() || std::fflush(work.file()) != 0) {
        work.abandon();
        report_work_file(tool, rules);
        return false;
    }
    const bool backed_up = rules.keep_backup && file_exists(settings_path);
    if (backed_up) {
        // QUORUP.INI stays whole until it has become QUORUP.BAK, and
        // QUORUP.BAK stays whole until the new QUORUP.INI is in place.
        delete_file(backup_path);
        if (!rename_file(settings_path, backup_path)) {
            work.abandon();
            message(tool, " CAN'T RENAME QUORUP.INI FILE TO QUORUP.BAK,@ PLEASE UNPROTECT IT AND RESTART. ");
            throw ProgramEnd{};
        }
    }
    if (!work.commit()) {
        if (backed_up) rename_file(backup_path, settings_path);
        report_work_file(tool, rules);
        return false;
    }
    return true;
}

}  // namespace qv
