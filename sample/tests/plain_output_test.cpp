// The sample's daily run piped into a file, as cron leaves it in a log: each
// program's output has no screen field written again with the same text, no
// runs of blank lines, and ends with a line end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Section {
    std::string heading;  // "==== QUORUP"
    std::string output;   // what the program printed and the script's line end after it
};

// The script prints "==== PROGRAM" before each program and a blank line after it;
// sections that show files (QUORUP.MSG, an output's first lines) are left out.
std::vector<Section> program_sections(const std::string& log) {
    static const char* programs[] = {"PREQUOR", "POSTQUOR", "QUORUP", "DFORGE", "DFANOUT", "MKPICKS", "roll", "clcconv"};
    std::vector<Section> sections;
    std::istringstream in(log);
    Section* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("==== ", 0) == 0) {
            current = nullptr;
            const std::string name = line.substr(5, line.find(' ', 5) - 5);
            for (const char* program : programs) {
                if (name != program) continue;
                sections.push_back({line, ""});
                current = &sections.back();
            }
            continue;
        }
        if (current) current->output += line + "\n";
    }
    return sections;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int count(const std::vector<std::string>& lines, const std::string& wanted) {
    int found = 0;
    for (const std::string& line : lines) found += line == wanted;
    return found;
}

TEST(PlainOutput, TheSampleRunPipedIntoAFileReadsAsALog) {
    // The script writes its installation beside the build's bin folder: a
    // temporary folder whose bin is the build's.
    // A folder of its own, so that two test runs at once do not share it.
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-plain-output-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path build = pattern;
    std::filesystem::create_directory_symlink(QV_BIN_DIR, build / "bin");
    const std::filesystem::path log = build / "run.log";
    const std::string command = "sh '" + std::string(QV_SOURCE_DIR) + "/sample/run-sample.sh' '" + build.string() +
                                "' > '" + log.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove_all(build);

    const std::vector<Section> sections = program_sections(text);
    ASSERT_GE(sections.size(), 10u);
    for (const Section& section : sections) {
        // A program's output ends with a line end, so the script's own line end
        // after it is a blank line (or the whole section when it printed nothing).
        EXPECT_TRUE(section.output == "\n" || section.output.ends_with("\n\n")) << section.heading << "\n"
                                                                              << section.output;
        const std::string output = section.output.substr(0, section.output.size() - 1);
        EXPECT_EQ(output.find("\x1b"), std::string::npos) << section.heading;
        EXPECT_EQ(output.find("\n\n\n"), std::string::npos) << section.heading << "\n" << output;
        EXPECT_FALSE(output.starts_with("\n")) << section.heading;
        const std::vector<std::string> lines = lines_of(output);
        if (section.heading == "==== QUORUP") {
            // The kind field shows each kind once however many files of it are merged.
            for (const char* kind : {"IDX", "CLC", "COT"}) EXPECT_LE(count(lines, kind), 1) << kind;
            EXPECT_EQ(count(lines, "                    H A V E  A  P R O F I T A B L E  D A Y !"), 1);
        }
        if (section.heading == "==== DFORGE $GOLDMS") {
            // Two series into one MetaStock folder: the location is shown once.
            EXPECT_EQ(count(lines, "\\QUORVANT\\META\\BUILT"), 1) << output;
        }
    }
}

}  // namespace
