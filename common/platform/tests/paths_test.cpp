#include "common/platform/paths.h"

#include "common/platform/environment.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qv {
namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name), previous_(get_env(name)) {
        if (value) set_env(name, *value); else unset_env(name);
    }
    ~ScopedEnv() {
        if (previous_) set_env(name_, *previous_); else unset_env(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(Paths, TranslatesDosAndLinuxForms) {
    testing::TempInstall install;
    ScopedEnv drive_d("QUORVANT_DRIVE_D", "/mnt/dee");
    ScopedEnv drive_e("QUORVANT_DRIVE_E", std::nullopt);
    const std::string root = install.root().string();
    struct Case {
        const char* dos;
        std::string linux_path;
    } cases[] = {
        {"\\QUORVANT\\TABLES.INI", root + "/TABLES.INI"},
        {"C:\\QUORVANT\\CLC\\W__CLC.QVT", root + "/CLC/W__CLC.QVT"},
        {"c:/quorvant/UPDATES/DU201207.CLC", root + "/UPDATES/DU201207.CLC"},
        {"/QuorVant\\MAIL/", root + "/MAIL"},
        {"\\QUORVANT", root},
        {"D:\\DATA\\WHEAT.ASC", "/mnt/dee/DATA/WHEAT.ASC"},
        {"d:DATA/WHEAT.ASC", "/mnt/dee/DATA/WHEAT.ASC"},
        {"E:\\MS\\MASTER", "/MS/MASTER"},
        {"D:\\QUORVANT\\X", root + "/X"},
        {"\\QUORVANTX\\A", "/QUORVANTX/A"},
        {"/tmp//nowhere-qv\\x", "/tmp/nowhere-qv/x"},
        {"AUTO\\$ROLL", "AUTO/$ROLL"},
        {"QUORUP.MSG", "QUORUP.MSG"},
    };
    for (const auto& c : cases) EXPECT_EQ(translate_path(c.dos), fs::path(c.linux_path)) << c.dos;
    EXPECT_EQ(install_file("CLC\\BP_CLC.QVT"), fs::path(root + "/CLC/BP_CLC.QVT"));
}

TEST(Paths, TheLinuxTextIsJoinedWithOneSeparator) {
    testing::TempInstall install;
    install.write("MS/F1.DAT", "x");
    const std::string root = install.root().string();
    // A root given with a final slash takes no second one, found or not.
    ScopedEnv slashed("QUORVANT_ROOT", root + "/");
    EXPECT_EQ(translate_path("\\QUORVANT\\MS\\F1.DAT").native(), root + "/MS/F1.DAT");
    EXPECT_EQ(translate_path("\\QUORVANT\\MS\\f9.dat").native(), root + "/MS/f9.dat");
    EXPECT_EQ(translate_path("\\QUORVANT\\ms\\F1.DAT").native(), root + "/MS/F1.DAT");
    EXPECT_EQ(translate_path("\\QUORVANT\\NEW\\F1.DAT").native(), root + "/NEW/F1.DAT");
    EXPECT_EQ(translate_path("\\QUORVANT\\.\\MS\\..\\MS\\F1.DAT").native(), root + "/./MS/../MS/F1.DAT");
}

TEST(Paths, InstallRootIsWorkingFolderWithoutSetting) {
    ScopedEnv root("QUORVANT_ROOT", std::nullopt);
    EXPECT_EQ(install_root(), fs::current_path());
    ScopedEnv empty("QUORVANT_ROOT", "");
    EXPECT_EQ(install_root(), fs::current_path());
}

TEST(Paths, FindsExistingNamesWhateverTheirCase) {
    testing::TempInstall install;
    install.write("Clc/w__clc.qvt", "x");
    install.write("UPDATES/du201207.clc", "x");
    install.write("UPDATES/DU201207.CLC", "x");
    install.write("UPDATES/Du201207.clc", "x");
    install.write("MIXED/abc", "x");
    install.write("MIXED/aBC", "x");
    const std::string root = install.root().string();
    struct Case {
        const char* dos;
        std::string linux_path;
    } cases[] = {
        // found whatever the case, through each folder
        {"\\QUORVANT\\CLC\\W__CLC.QVT", root + "/Clc/w__clc.qvt"},
        // an exact match wins over other spellings
        {"\\QUORVANT\\UPDATES\\DU201207.CLC", root + "/UPDATES/DU201207.CLC"},
        {"\\QUORVANT\\UPDATES\\du201207.clc", root + "/UPDATES/du201207.clc"},
        // otherwise the first in byte order
        {"\\QUORVANT\\mixed\\ABC", root + "/MIXED/aBC"},
        // a missing name keeps the case it is written in, below a found folder too
        {"\\QUORVANT\\clc\\New\\Sp_CLC.QVT", root + "/Clc/New/Sp_CLC.QVT"},
    };
    for (const auto& c : cases) EXPECT_EQ(translate_path(c.dos), fs::path(c.linux_path)) << c.dos;
}

}  // namespace
}  // namespace qv
