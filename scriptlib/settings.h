// The library's persistent settings, kept in the registry under
// HKEY_LOCAL_MACHINE\Software\Kestrelsoft\Settings\KVXBATCH\<section>.
#pragma once

#include <string>

namespace qsl {

int read_setting(const std::string& section, const std::string& name, int fallback);
bool read_setting_text(const std::string& section, const std::string& name, std::string& out);
bool write_setting_text(const std::string& section, const std::string& name, const std::string& value);

}  // namespace qsl
