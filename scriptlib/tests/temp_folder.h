// A fresh temporary folder that is the working folder while a test runs;
// the old working folder comes back and the folder is removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qsl::testing {

class TempFolder {
public:
    TempFolder() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "qsl-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
        std::filesystem::current_path(path);
    }
    ~TempFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path / name); }

    std::filesystem::path path;

private:
    std::filesystem::path previous_;
};

}  // namespace qsl::testing
