#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/testing/temp_install.h"

namespace qv::testing {

// A temporary install folder with the sample installation's TABLES.INI,
// HOLIDAYS.QVT and QUORUP.INI, which is also the working directory while the
// object lives (the tools open some files by bare name), with today fixed
// through QUORVANT_TODAY.
class SampleInstall : public TempInstall {
public:
    explicit SampleInstall(std::string_view today = "2020-12-07");
    ~SampleInstall();

private:
    std::filesystem::path previous_directory_;
    std::optional<std::string> previous_today_;
};

}  // namespace qv::testing
