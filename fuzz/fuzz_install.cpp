#include "fuzz/fuzz_install.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "common/platform/text.h"
#include "sample/sample_install.h"

namespace qv::fuzzing {

const std::filesystem::path& fuzz_installation(std::string_view prefix) {
    static const std::filesystem::path root = [&] {
        std::string pattern = "/tmp/" + std::string(prefix) + "-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        const std::filesystem::path folder = pattern;
        sample::write_installation(folder);
        setenv("QUORVANT_ROOT", folder.c_str(), 1);
        setenv("QUORVANT_TODAY", "2020-12-07", 1);
        for (char drive = 'A'; drive <= 'Z'; ++drive) {
            setenv(format("QUORVANT_DRIVE_%c", drive).c_str(), folder.c_str(), 1);
        }
        if (chdir(folder.c_str()) != 0) std::abort();
        return folder;
    }();
    // Removed when the run ends normally (registered after `root` is made, so
    // it runs before `root` is destroyed); a crash leaves it to be looked at.
    static const bool removed_at_exit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(fuzz_installation({}), ignored);
    }) == 0;
    (void)removed_at_exit;
    return root;
}

void write_fuzz_file(const std::filesystem::path& path, std::string_view text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace qv::fuzzing
