// The grammar of the settings file, the values each key holds, and the
// written layout.

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/settings.h"
#include "common/platform/text.h"

namespace qv {

namespace {

std::size_t index_of(SettingsKey key) { return static_cast<std::size_t>(key); }

// A whole number as atoi reads it: blanks, a sign, digits; 0 without digits.
int leading_int(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > 2147483647LL) return 0;  // no such value in this file
    }
    return static_cast<int>(negative ? -value : value);
}

template <std::size_t N>
std::optional<int> find_in(const std::array<std::string_view, N>& list, std::string_view value) {
    for (std::size_t i = 0; i < N; ++i)
        if (equal_no_case(list[i], value)) return static_cast<int>(i);
    return std::nullopt;
}

// The digits after the last "X" of a port address such as 0X3F8, as an
// unsigned 16-bit number.
enum class PortAddress { ok, no_x, bad_digits };
PortAddress read_port_address(std::string_view value, std::uint16_t& address) {
    const std::size_t x = value.find_last_of("Xx");
    if (x == std::string_view::npos) return PortAddress::no_x;
    const std::string_view digits = value.substr(x + 1);
    // No digit at all, or more than a 16-bit port can have, is no address either.
    if (digits.empty()) return PortAddress::bad_digits;
    unsigned long number = 0;
    for (char c : digits) {
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        int digit = 0;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else
            return PortAddress::bad_digits;
        number = number * 16 + static_cast<unsigned long>(digit);
        if (number > 0xFFFF) return PortAddress::bad_digits;
    }
    address = static_cast<std::uint16_t>(number);
    return PortAddress::ok;
}

// The update and bulletin folders always end in a backslash, so that file
// names can be put right after them. An empty value stays empty: a lone
// backslash would name the root of the drive.
std::string as_folder(const std::string& value) {
    if (value.empty() || value.back() == '\\') return value;
    return value + '\\';
}

}  // namespace

std::optional<SettingsKey> find_settings_key(std::string_view name) {
    for (std::size_t i = 0; i < settings_key_count; ++i)
        if (equal_no_case(settings_key_names[i], name)) return static_cast<SettingsKey>(i);
    return std::nullopt;
}

std::optional<SettingsLine> parse_settings_line(std::string_view line) {
    if (line.starts_with("**")) return std::nullopt;
    const std::size_t equals = line.substr(0, 50).find('=', 2);
    if (equals == std::string_view::npos || equals < 3 || equals > 30) return std::nullopt;
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    std::string_view value = line.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return SettingsLine{std::string(key), std::string(value)};
}

void SettingsReader::read_line(std::string_view line) {
    const std::string upper = to_upper(line.substr(0, settings_line_length));
    const auto parsed = parse_settings_line(upper);
    if (!parsed) return;
    const auto key = find_settings_key(parsed->key);
    if (!key) return;
    store(*key, parsed->value);
}

void SettingsReader::store(SettingsKey key, const std::string& value) {
    Settings& s = settings_;
    s.present[index_of(key)] = true;
    switch (key) {
    case SettingsKey::spare1: s.spare1 = leading_int(value); break;
    case SettingsKey::spare2: s.spare2 = leading_int(value); break;
    case SettingsKey::modem_speed:
        if (const auto speed = find_in(modem_speeds, value))
            s.modem_speed = std::min(*speed, fastest_modem_speed);
        else
            messages_.emplace_back(" INVALID BAUD RATE IN THE FILE QUORUP.INI ");
        break;
    case SettingsKey::com_port:
        if (const auto port = find_in(com_ports, value))
            s.com_port = *port;
        else
            messages_.emplace_back(" INVALID COM PORT SPECIFIED IN THE FILE QUORUP.INI ");
        break;
    case SettingsKey::modem_dial_mode: s.dial_mode = value == "PULSE" ? pulse_dialing : tone_dialing; break;
    case SettingsKey::update_directory: s.update_directory = as_folder(value); break;
    case SettingsKey::bulletin_directory: s.bulletin_directory = as_folder(value); break;
    case SettingsKey::comm_flags: s.comm_flags = value; break;
    case SettingsKey::dial_number: s.dial_number = value; break;
    case SettingsKey::user_id: s.user_id = value; break;
    case SettingsKey::user_password: s.user_password = value; break;
    case SettingsKey::port_address:
        switch (read_port_address(value, s.port_address)) {
        case PortAddress::ok: break;
        case PortAddress::no_x: messages_.emplace_back(" ERROR - INVALID PORT ADDRESS IN QUORUP.INI FILE "); break;
        case PortAddress::bad_digits: messages_.emplace_back(" ERROR - INVALID PORT ADDRESS IN QUORUP FILE "); break;
        }
        break;
    case SettingsKey::port_irq: s.port_irq = leading_int(value); break;
    case SettingsKey::modem_codes: s.modem_codes = value; break;
    case SettingsKey::extended_contracts: s.extended_contracts = value.empty() ? 0 : value.front(); break;
    case SettingsKey::ascii_path: s.ascii_path = value; break;
    case SettingsKey::meta_path: s.meta_path = value; break;
    case SettingsKey::ascii_mask: s.ascii_mask = value; break;
    case SettingsKey::meta_mask: s.meta_mask = value; break;
    case SettingsKey::data_format: s.data_format = value; break;
    case SettingsKey::eu_last_date:
        s.eu_last_date_text = value;
        s.eu_last_date = read_settings_date(value);
        break;
    case SettingsKey::usercd: s.usercd = value; break;
    }
}

SettingsReader read_settings_text(std::string_view text) {
    SettingsReader reader;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        reader.read_line(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return reader;
}

std::vector<SettingsKey> missing_settings_keys(const Settings& settings) {
    const bool no_distribution = settings.extended_contracts == 'N' || !settings.has(SettingsKey::extended_contracts);
    std::vector<SettingsKey> missing;
    for (std::size_t i = 0; i < settings_key_count; ++i) {
        const auto key = static_cast<SettingsKey>(i);
        if (key == SettingsKey::usercd || settings.has(key)) continue;
        if (no_distribution && key >= SettingsKey::ascii_path && key <= SettingsKey::eu_last_date) continue;
        missing.push_back(key);
    }
    return missing;
}

std::string settings_file_text(const Settings& s, SettingsLayout layout) {
    std::string text;
    auto line = [&text](SettingsKey key, std::string_view value) {
        text.append(key_name(key)).append(" = ").append(value).append("\n");
    };
    // The dial-up keys, which the reduced form writes only when they were in the file.
    auto dial_up = [&](SettingsKey key) { return layout == SettingsLayout::complete || s.has(key); };

    line(SettingsKey::spare1, "1");
    line(SettingsKey::spare2, "2");
    if (dial_up(SettingsKey::modem_speed))
        line(SettingsKey::modem_speed,
             modem_speeds[static_cast<std::size_t>(std::clamp(s.modem_speed, 0, fastest_modem_speed))]);
    if (dial_up(SettingsKey::com_port)) line(SettingsKey::com_port, com_ports[static_cast<std::size_t>(std::clamp(s.com_port, 0, 3))]);
    if (dial_up(SettingsKey::modem_dial_mode))
        line(SettingsKey::modem_dial_mode, s.dial_mode == pulse_dialing ? "PULSE" : "TONE");
    line(SettingsKey::update_directory, s.update_directory);
    line(SettingsKey::bulletin_directory, s.bulletin_directory);
    line(SettingsKey::comm_flags, s.comm_flags);
    if (dial_up(SettingsKey::dial_number)) line(SettingsKey::dial_number, s.dial_number);
    line(SettingsKey::user_id, s.user_id);
    line(SettingsKey::user_password, s.user_password);
    if (dial_up(SettingsKey::port_address)) line(SettingsKey::port_address, format("0X%X", unsigned(s.port_address)));
    if (dial_up(SettingsKey::port_irq)) line(SettingsKey::port_irq, format("%d", s.port_irq));
    if (dial_up(SettingsKey::modem_codes)) line(SettingsKey::modem_codes, s.modem_codes);

    if (s.extended_contracts == 0) return text;
    text += "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n";
    line(SettingsKey::extended_contracts, std::string(1, s.extended_contracts));
    line(SettingsKey::ascii_path, s.ascii_path);
    line(SettingsKey::meta_path, s.meta_path);
    line(SettingsKey::ascii_mask, s.ascii_mask);
    line(SettingsKey::meta_mask, s.meta_mask);
    line(SettingsKey::data_format, s.data_format);
    line(SettingsKey::eu_last_date, s.eu_last_date_text);
    if (!s.usercd.empty()) line(SettingsKey::usercd, s.usercd);
    return text;
}

}  // namespace qv
