// The INI functions. iniread, iniwrite, inidelete and iniitemize work on the
// library's own win.ini (in ~/.config/qsleng32, where DirWindows(0) points);
// the private forms name their file, relative to the working folder. Lists
// are joined by tabs.
#include <string>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/ini_file.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

// The key that stands for a whole section (@wholesection).
constexpr const char* whole_section = "692837";

fs::path win_ini() { return settings_folder() / "win.ini"; }

IniFile loaded(Call& call, const fs::path& path, int error) {
    IniFile ini;
    if (!ini.load(path)) fail_because(call.c, error, path.string() + ": " + system_reason());
    return ini;
}

void saved(Call& call, const IniFile& ini, const fs::path& path) {
    if (!ini.save(path)) fail_because(call.c, errors::ini_private_failed, path.string() + ": " + system_reason());
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        if (!out.empty()) out += '\t';
        out += name;
    }
    return out;
}

void read_from(Call& call, const fs::path& path) {
    IniFile ini = loaded(call, path, errors::ini_private_failed);
    call.out.set_string(ini.read(call.view(0), call.view(1)).value_or(call.text(2)));
}

void write_to(Call& call, const fs::path& path) {
    IniFile ini = loaded(call, path, errors::ini_private_failed);
    ini.write(call.view(0), call.view(1), call.view(2));
    saved(call, ini, path);
    call.out.set_int(1);
}

void delete_from(Call& call, const fs::path& path) {
    IniFile ini = loaded(call, path, errors::ini_private_failed);
    bool changed = call.view(1) == whole_section ? ini.delete_section(call.view(0)) : ini.delete_key(call.view(0), call.view(1));
    if (changed) saved(call, ini, path);
    call.out.set_int(1);
}

// The sections of the file, or the keys of one section.
void itemize(Call& call, const fs::path& path, int error) {
    IniFile ini = loaded(call, path, error);
    std::string section = call.text(0);
    call.out.set_string(joined(section.empty() ? ini.sections() : ini.keys(section)));
}

fs::path private_file(Call& call, int i) { return script_path(call.view(i)); }

void ini_read(Call& call) { read_from(call, win_ini()); }
void ini_write(Call& call) { write_to(call, win_ini()); }
void ini_delete(Call& call) { delete_from(call, win_ini()); }
void ini_itemize(Call& call) { itemize(call, win_ini(), errors::ini_itemize_failed); }
void ini_read_pvt(Call& call) { read_from(call, private_file(call, 3)); }
void ini_write_pvt(Call& call) { write_to(call, private_file(call, 3)); }
void ini_delete_pvt(Call& call) { delete_from(call, private_file(call, 2)); }
void ini_itemize_pvt(Call& call) {
    fs::path path = private_file(call, 1);
    std::error_code error;
    if (!fs::exists(path, error)) fail_because(call.c, errors::ini_itemize_pvt_failed, call.text(1));
    itemize(call, path, errors::ini_itemize_pvt_failed);
}

const Builtin functions[] = {
    {"inidelete", ini_delete},         {"inideletepvt", ini_delete_pvt}, {"iniitemize", ini_itemize},
    {"iniitemizepvt", ini_itemize_pvt}, {"iniread", ini_read},           {"inireadpvt", ini_read_pvt},
    {"iniwrite", ini_write},           {"iniwritepvt", ini_write_pvt},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
