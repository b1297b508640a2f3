#include "common/testing/sample_install.h"

#include "common/platform/environment.h"
#include "sample/sample_install.h"

namespace qv::testing {

SampleInstall::SampleInstall(std::string_view today)
    : previous_directory_(std::filesystem::current_path()), previous_today_(get_env("QUORVANT_TODAY")) {
    sample::write_installation(root());
    std::filesystem::current_path(root());
    set_env("QUORVANT_TODAY", today);
}

SampleInstall::~SampleInstall() {
    if (previous_today_)
        set_env("QUORVANT_TODAY", *previous_today_);
    else
        unset_env("QUORVANT_TODAY");
    std::error_code ignored;
    std::filesystem::current_path(previous_directory_, ignored);
}

}  // namespace qv::testing
