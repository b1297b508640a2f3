#include "common/platform/files.h"

#include "common/platform/environment.h"
#include "common/platform/text.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

namespace qv {
namespace {

TEST(Files, WildcardFollowsDosRules) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"?U??????.CLC", "DU201207.CLC", true},
        {"?U??????.CLC", "du201207.clc", true},
        {"?U??????.CLC", "DB201207.CLC", false},
        {"?U??????.CLC", "DU201207.COT", false},
        {"?U??????.CLC", "DU2012071.CLC", false},
        {"?U??????.CLC", "DU2012.CLC", true},  // a trailing "?" may match nothing
        {"E*.*", "EU201207.CLC", true},
        {"E*.*", "E", true},
        {"E*.*", "DU201207.CLC", false},
        {"*.*", "NODOT", true},
        {"*.*", "A.B.C", true},
        {"*", "ANY.THING", true},
        {"*.CLC", "X.CLC.BAK", false},
        {"*.BAK", "X.CLC.BAK", true},
        {"F*.DAT", "F12.DAT", true},
        {"F*.DAT", "F12.DOP", false},
        {"MASTER", "master", true},
        {"MASTER", "MASTER.BAK", false},
        {"A?C", "ABC", true},
        {"A?C", "AC", false},
        {"*A*A*A*A*A*B", "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

TEST(Files, ListsMatchingFilesInByteOrder) {
    testing::TempInstall install;
    for (const char* name : {"DU201210.CLC", "du201209.clc", "MU201201.CLC", "DU201207.CLC", "DB201206.CLC"})
        install.write(std::string("Updates/") + name, "12345");
    install.write("Updates/XU201201.CLC/inner", "");  // a folder is no update file
    std::vector<std::string> names;
    for (const auto& entry : list_matching("\\QUORVANT\\UPDATES\\?U??????.CLC")) {
        names.push_back(entry.name);
        EXPECT_EQ(entry.size, 5u);
        EXPECT_FALSE(entry.is_folder);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"DU201207.CLC", "DU201210.CLC", "MU201201.CLC", "du201209.clc"}));

    const auto with_folders = list_matching("\\QUORVANT\\UPDATES\\X*.*", true);
    ASSERT_EQ(with_folders.size(), 1u);
    EXPECT_TRUE(with_folders[0].is_folder);
    EXPECT_TRUE(list_matching("\\QUORVANT\\NOFOLDER\\*.*").empty());
}

TEST(Files, ReadsLinesLikeFgetsWithEitherLineEnd) {
    testing::TempInstall install;
    // The same text with LF and with CR LF ends reads the same at every buffer size.
    install.write("LF.TXT", "W_ WHEAT\nAB\n\nlast");
    install.write("CRLF.TXT", "W_ WHEAT\r\nAB\r\n\r\nlast");
    for (std::size_t max_chars : {1u, 2u, 3u, 8u, 9u, 10u, 80u}) {
        std::vector<std::string> lf, crlf;
        std::string line;
        auto a = open_file("\\QUORVANT\\lf.txt", "rb");
        auto b = open_file("\\QUORVANT\\CRLF.TXT", "rb");
        ASSERT_TRUE(a && b);
        while (read_line(a.get(), line, max_chars)) lf.push_back(line);
        while (read_line(b.get(), line, max_chars)) crlf.push_back(line);
        EXPECT_EQ(lf, crlf) << max_chars;
        for (const auto& l : lf) EXPECT_LE(l.size(), max_chars);
    }
    auto a = open_file("\\QUORVANT\\LF.TXT", "rb");
    std::string line;
    std::vector<std::string> lines;
    while (read_line(a.get(), line, 9)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"W_ WHEAT\n", "AB\n", "\n", "last"}));

    // A lone CR is kept.
    install.write("CR.TXT", "A\rB\n");
    auto c = open_file("\\QUORVANT\\CR.TXT", "rb");
    ASSERT_TRUE(read_line(c.get(), line, 80));
    EXPECT_EQ(line, "A\rB\n");
}

TEST(Files, ReadsWholeLinesAndLinesCutAtTheirLimit) {
    testing::TempInstall install;
    // A long line whose CR LF end comes where a piece read of it ends, a short
    // line, an empty line, and a last line without a line end.
    const std::string long_line(4095, 'x');
    install.write("LINES.TXT", long_line + "\r\nAB\n\nlast");
    const auto lines_of = [](const std::function<bool(std::FILE*, std::string&)>& read) {
        auto file = open_file("\\QUORVANT\\LINES.TXT", "rb");
        std::vector<std::string> lines;
        std::string line;
        while (read(file.get(), line)) lines.push_back(line);
        return lines;
    };
    EXPECT_EQ(lines_of(read_whole_line), (std::vector<std::string>{long_line + "\n", "AB\n", "\n", "last"}));
    // The rest of a longer line is dropped, not read as lines of its own.
    EXPECT_EQ(lines_of([](std::FILE* file, std::string& line) { return read_limited_line(file, line, 3); }),
              (std::vector<std::string>{"xxx\n", "AB\n", "\n", "las"}));
    EXPECT_EQ(without_line_end("AB\r\n\n"), "AB");
}

TEST(Files, FileOperationsOnDosNames) {
    testing::TempInstall install;
    install.write("UPDATES/DU201207.CLC", "abc");
    install.write("UPDATES/DB201207.CLC", "old");

    EXPECT_TRUE(file_exists("\\QUORVANT\\updates\\du201207.clc"));
    EXPECT_FALSE(file_exists("\\QUORVANT\\UPDATES"));
    EXPECT_TRUE(folder_exists("C:\\QUORVANT\\UPDATES\\"));
    EXPECT_EQ(file_size("\\QUORVANT\\UPDATES\\DU201207.CLC"), 3u);
    EXPECT_FALSE(file_size("\\QUORVANT\\UPDATES\\NONE.CLC"));
    // A path found on disk is read as it is; the buffer of an earlier file is reused.
    std::string bytes = "longer than the file";
    EXPECT_TRUE(read_found_file(install.path("UPDATES/DU201207.CLC"), bytes));
    EXPECT_EQ(bytes, "abc");
    EXPECT_FALSE(read_found_file(install.path("UPDATES/du201207.clc"), bytes));

    // A rename never replaces another file.
    EXPECT_FALSE(rename_file("\\QUORVANT\\UPDATES\\DU201207.CLC", "\\QUORVANT\\UPDATES\\DB201207.CLC"));
    EXPECT_EQ(install.read("UPDATES/DB201207.CLC"), "old");
    EXPECT_TRUE(delete_file("\\QUORVANT\\UPDATES\\db201207.clc"));
    EXPECT_FALSE(delete_file("\\QUORVANT\\UPDATES\\DB201207.CLC"));
    EXPECT_TRUE(rename_file("\\QUORVANT\\UPDATES\\DU201207.CLC", "\\QUORVANT\\UPDATES\\D_201207.CLC"));
    EXPECT_EQ(install.read("UPDATES/D_201207.CLC"), "abc");
    // Changing only the case of a name is a rename of the file to itself.
    EXPECT_TRUE(rename_file("\\QUORVANT\\UPDATES\\D_201207.CLC", "\\QUORVANT\\UPDATES\\d_201207.clc"));
    EXPECT_EQ(install.read("UPDATES/d_201207.clc"), "abc");

    EXPECT_TRUE(create_folders("\\QUORVANT\\updates\\Favor\\ASC"));
    EXPECT_TRUE(std::filesystem::is_directory(install.path("UPDATES/Favor/ASC")));

    ::chmod(install.path("UPDATES/d_201207.clc").c_str(), 0444);
    EXPECT_TRUE(make_writable("\\QUORVANT\\UPDATES\\D_201207.CLC"));
    struct stat info;
    ASSERT_EQ(::stat(install.path("UPDATES/d_201207.clc").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWUSR);
}

TEST(Files, QuickLookUpsForAJobOfManyFiles) {
    testing::TempInstall install;
    install.write("MS/F1.DAT", "x");
    install.write("MS2/F1.DAT", "x");
    // A name of known case is looked up as written; the folders in any case.
    EXPECT_TRUE(file_exists_as_written("\\QUORVANT\\ms\\F1.DAT"));
    EXPECT_FALSE(file_exists_as_written("\\QUORVANT\\MS\\f1.dat"));
    EXPECT_TRUE(file_exists("\\QUORVANT\\MS\\f1.dat"));
    EXPECT_FALSE(file_exists_as_written("\\QUORVANT\\MS"));

    EXPECT_FALSE(is_read_only("\\QUORVANT\\MS\\F1.DAT"));
    ASSERT_TRUE(make_read_only("\\QUORVANT\\MS\\F1.DAT"));
    EXPECT_TRUE(is_read_only("\\QUORVANT\\ms\\f1.dat"));
    EXPECT_FALSE(is_read_only("\\QUORVANT\\MS\\F2.DAT"));
    EXPECT_FALSE(is_read_only("\\QUORVANT\\MS"));

    // Folders of one mount; a folder that is not there cannot be told.
    EXPECT_TRUE(on_same_mount("\\QUORVANT\\MS\\", "\\QUORVANT\\ms2"));
    EXPECT_FALSE(on_same_mount("\\QUORVANT\\MS", "\\QUORVANT\\NONE"));
    EXPECT_FALSE(on_same_mount("\\QUORVANT\\MS", "/proc"));
}

}  // namespace
}  // namespace qv
