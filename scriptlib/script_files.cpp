#include "scriptlib/script_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/platform/environment.h"
#include "common/platform/paths.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

struct Reach {
    fs::path root;
    bool programs = true;
};

Reach& reach() {
    static Reach r;
    return r;
}

bool lies_within(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty()) continue;  // a trailing separator of the root
        if (p == path.end() || *p != *r) return false;
    }
    return true;
}

}  // namespace

fs::path script_path(std::string_view name) {
    fs::path path = qv::translate_path(name);
    const fs::path& root = reach().root;
    if (root.empty()) return path;
    std::error_code ignored;
    fs::path full = fs::absolute(path, ignored).lexically_normal();
    if (lies_within(full, root)) return full;
    return (root / full.relative_path()).lexically_normal();
}

fs::path settings_folder() {
    return script_path(qv::get_env_or("HOME", ".") + "/.config/qsleng32");
}

void confine_files(const fs::path& root) {
    std::error_code ignored;
    reach().root = root.empty() ? fs::path() : fs::weakly_canonical(root, ignored);
}

const fs::path& file_confinement() { return reach().root; }

void allow_programs(bool allowed) { reach().programs = allowed; }
bool programs_allowed() { return reach().programs; }

void fail_because(Context& c, int number, std::string_view detail) {
    std::snprintf(c.in->error_detail, sizeof c.in->error_detail, "%.*s", int(detail.size()), detail.data());
    fail(number);
}

std::string system_reason() { return std::strerror(errno); }

}  // namespace qsl
