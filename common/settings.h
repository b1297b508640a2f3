#pragma once

// The settings file \QUORVANT\QUORUP.INI: the update and bulletin folders, the
// dial-up connection, the user's account, and the paths, masks and format of
// the user's ASCII and MetaStock files. Each line pairs a key with a value,
// "KEY = VALUE"; every line is upper-cased as it is read, so values are held
// in upper case. The file is rewritten through TEMP0001.QVT, and the updater
// keeps the previous version as QUORUP.BAK.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/tool.h"

namespace qv {

// The keys in the order in which they are written and matched.
enum class SettingsKey {
    spare1,
    spare2,
    modem_speed,
    com_port,
    modem_dial_mode,
    update_directory,
    bulletin_directory,
    comm_flags,
    dial_number,
    user_id,
    user_password,
    port_address,
    port_irq,
    modem_codes,
    extended_contracts,
    ascii_path,
    meta_path,
    ascii_mask,
    meta_mask,
    data_format,
    eu_last_date,
    usercd,
};
inline constexpr std::size_t settings_key_count = 22;

inline constexpr std::array<std::string_view, settings_key_count> settings_key_names = {
    "SPARE1",         "SPARE2",     "MODEM SPEED",        "COM PORT",  "MODEM DIAL MODE", "UPDATE DIRECTORY",
    "BULLETIN DIRECTORY", "COMM FLAGS", "DIAL NUMBER",    "USER ID",   "USER PASSWORD",   "PORT ADDRESS",
    "PORT IRQ",       "MODEM CODES", "EXTENDED CONTRACTS", "ASCII PATH", "META PATH",      "ASCII MASK",
    "META MASK",      "DATA FORMAT", "EU LAST DATE",      "USERCD",
};

inline std::string_view key_name(SettingsKey key) { return settings_key_names[static_cast<std::size_t>(key)]; }

// The key of a name, compared without regard to case.
std::optional<SettingsKey> find_settings_key(std::string_view name);

// The modem speeds in the order of their indexes. A speed above 9600 (index 7)
// is kept as 9600.
inline constexpr std::array<std::string_view, 13> modem_speeds = {
    "110", "150", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57000", "115000", "14400",
};
inline constexpr int fastest_modem_speed = 7;

inline constexpr std::array<std::string_view, 4> com_ports = {"COM1", "COM2", "COM3", "COM4"};

inline constexpr int pulse_dialing = 1;
inline constexpr int tone_dialing = 2;

// Longest settings line, without its line end.
inline constexpr std::size_t settings_line_length = 189;

struct Settings {
    int spare1 = 0;
    int spare2 = 0;
    int modem_speed = 0;  // index into modem_speeds, at most fastest_modem_speed
    int com_port = 0;     // index into com_ports
    int dial_mode = 0;    // pulse_dialing or tone_dialing; 0 when the key is absent
    std::string update_directory;    // ends in a backslash
    std::string bulletin_directory;  // ends in a backslash
    std::string comm_flags;
    std::string dial_number;
    std::string user_id;
    std::string user_password;
    std::uint16_t port_address = 0;
    int port_irq = 0;
    std::string modem_codes;
    // A (ASCII files), M (MetaStock files), B (both) or N (no distribution of
    // contract updates); 0 when the key is absent or empty.
    char extended_contracts = 0;
    std::string ascii_path;
    std::string meta_path;
    std::string ascii_mask;
    std::string meta_mask;
    std::string data_format;
    std::string eu_last_date_text;  // written back as it was read
    DayNumber eu_last_date = 0;
    std::string usercd;

    std::array<bool, settings_key_count> present{};
    bool has(SettingsKey key) const { return present[static_cast<std::size_t>(key)]; }
};

// One line of the file split into key and value: lines beginning with "**"
// (the warning line before the protected keys) and lines without an "=" at the
// 4th to 31st character (within the first 50) are not settings lines. The key
// loses the blanks before the "=", the value the blanks after it.
struct SettingsLine {
    std::string key;
    std::string value;
};
std::optional<SettingsLine> parse_settings_line(std::string_view line);

// Reads the lines of a settings file into settings. Each line is given whole
// and without its line end; only its first 189 characters count, and it is
// upper-cased. Unknown keys are ignored; a key given twice takes the later
// value. Problems with single values are collected as messages, in order.
class SettingsReader {
public:
    void read_line(std::string_view line);
    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    void store(SettingsKey key, const std::string& value);

    Settings settings_;
    std::vector<std::string> messages_;
};

// Settings from the whole text of a settings file (lines end at a line feed; a
// carriage return before it is dropped).
SettingsReader read_settings_text(std::string_view text);

// The keys that count as missing after a read: every key but USERCD that was
// not in the file, except that ASCII PATH to EU LAST DATE count as present when
// EXTENDED CONTRACTS is N or absent.
std::vector<SettingsKey> missing_settings_keys(const Settings& settings);

// What is written back. The reduced form of the request preparation and the
// post-download processing leaves out the dial-up keys (MODEM SPEED, COM PORT,
// MODEM DIAL MODE, DIAL NUMBER, PORT ADDRESS, PORT IRQ, MODEM CODES), which
// those tools do not manage; the ones that were in the file read are still
// written back as held, so a rewrite never loses the user's settings.
enum class SettingsLayout { complete, reduced };

// The text of the file for the settings.
std::string settings_file_text(const Settings& settings, SettingsLayout layout);

// How one tool reads and rewrites the file.
struct SettingsRules {
    SettingsLayout layout = SettingsLayout::complete;
    // The updater's checks: invalid values and missing keys reported, and an
    // EU LAST DATE before 6 June 2008 replaced in memory.
    bool updater_checks = false;
    // The dial number is brought up to date, and the file saved when it changed.
    bool dial_number_rule = false;
    // QUORUP.INI becomes QUORUP.BAK before the new file takes its name.
    bool keep_backup = true;
    // The message when TEMP0001.QVT cannot be written, and whether it goes
    // through the fatal-error operation (else the message operation).
    std::string_view work_file_message = " COULD NOT OPEN TEMPORARY WORK FILE 0001";
    bool work_file_message_is_fatal = true;
};

extern const SettingsRules updater_settings;       // QUORUP: the complete form
extern const SettingsRules request_settings;       // PREQUOR: reduced form
extern const SettingsRules postdownload_settings;  // POSTQUOR: reduced form, no backup
extern const SettingsRules reading_settings;       // tools that only read the file

// Loads \QUORVANT\QUORUP.INI, or its backup QUORUP.BAK (which then takes the
// name QUORUP.INI) when it cannot be opened. Messages go through the tool's
// message operation. When neither file can be opened, the fatal message
// " ERROR, could not open the initialization file QUORUP.INI " is given and
// nothing is returned (in every tool but the updater the fatal-error operation
// has already ended the program).
std::optional<Settings> load_settings(const ToolProfile& tool, const SettingsRules& rules);

// Rewrites \QUORVANT\QUORUP.INI from memory through \QUORVANT\TEMP0001.QVT. At
// every moment the old or the new file is whole under QUORUP.INI or
// QUORUP.BAK. False when the file could not be rewritten (the old one stays).
// When QUORUP.INI cannot become QUORUP.BAK, the tool is told to unprotect it
// and the program ends.
bool save_settings(const Settings& settings, const ToolProfile& tool, const SettingsRules& rules);

// The day the distributor's update files have reached, by their names: the
// newest name date among the files \QUORVANT\UPDATES\E*.* (each read as
// DUyymmdd), or today minus 10 when none of them carries a date.
DayNumber newest_eu_update_date(DayNumber today);

// The updater's EU LAST DATE check: a date before 6 June 2008 is replaced in
// memory (the text stays) by the newest name date among the files
// \QUORVANT\UPDATES\E*.*, or by today minus 10 when there is none.
void check_eu_last_date(Settings& settings, DayNumber today);

// The dial-number rule: after 14 November 2001 a number on the vendor's former
// exchange becomes its current number, and the vendor's two dial-in lines are
// used in turn. True when the number changed.
bool apply_dial_number_rule(Settings& settings, DayNumber today);

// The vendor's numbers of the dial-number rule.
inline constexpr std::string_view former_vendor_exchange = "708-555";
inline constexpr std::array<std::string_view, 2> vendor_dial_in_lines = {"1-312-555-0142", "1-312-555-0143"};

}  // namespace qv
