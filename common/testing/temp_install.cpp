#include "common/testing/temp_install.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qv::testing {

TempInstall::TempInstall() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary install folder");
    root_ = pattern;
    if (const char* old = std::getenv("QUORVANT_ROOT")) {
        had_previous_root_ = true;
        previous_root_ = old;
    }
    setenv("QUORVANT_ROOT", root_.c_str(), 1);
}

TempInstall::~TempInstall() {
    if (had_previous_root_)
        setenv("QUORVANT_ROOT", previous_root_.c_str(), 1);
    else
        unsetenv("QUORVANT_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::filesystem::path TempInstall::path(std::string_view relative) const {
    return root_ / std::filesystem::path(relative);
}

void TempInstall::write(std::string_view relative, std::string_view content) const {
    const auto target = path(relative);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempInstall::read(std::string_view relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace qv::testing
