#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qv::testing {

// A fresh install folder for one test: QUORVANT_ROOT points at it while the
// object lives, and the folder is removed afterwards.
class TempInstall {
public:
    TempInstall();
    ~TempInstall();
    TempInstall(const TempInstall&) = delete;
    TempInstall& operator=(const TempInstall&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path path(std::string_view relative) const;

    // Writes a file under the install folder, creating its folders.
    void write(std::string_view relative, std::string_view content) const;
    std::string read(std::string_view relative) const;

private:
    std::filesystem::path root_;
    std::string previous_root_;
    bool had_previous_root_ = false;
};

}  // namespace qv::testing
