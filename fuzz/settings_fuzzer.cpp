// Settings files of any content: the grammar and value rules in memory, and
// the updater's complete load (checks, dial-number rule, save with backup)
// on a temporary install folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/settings.h"
#include "common/tool.h"

namespace {

std::filesystem::path install;

void write_file(const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/qv-fuzz-settings-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    install = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(install, ignored);
    });
    std::filesystem::create_directories(install / "UPDATES");
    write_file(install / "UPDATES" / "EU080302.CLC", "x");
    setenv("QUORVANT_ROOT", pattern, 1);
    setenv("QUORVANT_TODAY", "2009-03-20", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const qv::SettingsReader reader = qv::read_settings_text(text);
    const qv::Settings& settings = reader.settings();
    if (settings.modem_speed < 0 || settings.modem_speed > qv::fastest_modem_speed) std::abort();
    if (settings.com_port < 0 || settings.com_port > 3) std::abort();
    for (const std::string* folder : {&settings.update_directory, &settings.bulletin_directory})
        if (!folder->empty() && folder->back() != '\\') std::abort();
    (void)qv::missing_settings_keys(settings);

    // The written forms, and the complete one read again.
    const std::string written = qv::settings_file_text(settings, qv::SettingsLayout::complete);
    (void)qv::settings_file_text(settings, qv::SettingsLayout::reduced);
    (void)qv::read_settings_text(written);

    // The files are slow next to the parsing: one input in four goes through them.
    if (size % 4 != 0) return 0;
    std::filesystem::remove(install / "QUORUP.MSG");
    std::filesystem::remove(install / "QUORUP.BAK");
    write_file(install / "QUORUP.INI", text);
    if (auto loaded = qv::load_settings(qv::updater_profile, qv::updater_settings))
        (void)qv::save_settings(*loaded, qv::updater_profile, qv::updater_settings);
    // Whatever happened, the settings are whole under one of the two names.
    if (!std::filesystem::exists(install / "QUORUP.INI") && !std::filesystem::exists(install / "QUORUP.BAK"))
        std::abort();
    return 0;
}
