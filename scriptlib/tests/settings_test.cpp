// Settings in the registry store and message texts from the language file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "script_host.h"

using qsl::testing::ScriptHost;

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Settings, UsageTagIsRecordedAndSoundsAreRead) {
    std::string registry = ScriptHost::registry_path();
    std::remove(registry.c_str());
    {
        std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\Software\\Kestrelsoft\\Settings\\KVXBATCH\\MAIN]\nSounds=1\n";
        ScriptHost host;
        EXPECT_EQ(host.run("x = 1 / 0\n"), 3062);
        ASSERT_EQ(host.sounds.size(), 1u);
        EXPECT_EQ(host.sounds[0], "SystemHand");
    }
    std::string text = read_file(registry);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Kestrelsoft\\Settings\\KVXBATCH\\DllUsage]\ntests=tests\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Sounds=1"), std::string::npos);
    std::remove(registry.c_str());
}

TEST(Settings, LanguageFileOverridesMessageTexts) {
    char pattern[] = "/tmp/qsl-lang-XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/KVXDLANG.enu") << "[MAIN]\nX3062=Division~by|zero\n";
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (folder + ":" + path).c_str(), 1);
    ScriptHost host;
    EXPECT_EQ(host.run("x = 1 / 0\n"), 3062);
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].title, "3062:  Division\nby\tzero");
    std::string command = "rm -rf " + folder;
    ASSERT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
