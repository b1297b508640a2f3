#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/metastock.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "favorites/favourite_list.h"
#include "favorites/favourites_folder.h"
#include "favorites/run.h"

namespace qv::favorites {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::SampleInstall;

constexpr const char* list_headings = "FAVOURITES\nTAG YEAR MONTH\n";

std::vector<std::string> folder_names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void run() {
    RecordingConsole screen;
    try {
        run_favorites();
    } catch (const ProgramEnd&) {
    }
}

void set_setting(SampleInstall& install, const std::string& key, const std::string& value) {
    std::string text = install.read("QUORUP.INI");
    const std::size_t at = text.find(key + " = ");
    const std::size_t end = text.find('\n', at);
    text.replace(at, end - at, key + " = " + value);
    install.write("QUORUP.INI", text);
}

TEST(Favourites, FolderBesideTheRoot) {
    const struct Case {
        const char* root;
        const char* folder;
    } cases[] = {
        {"C:\\DATA\\", "C:\\DATA\\FAVORITE\\"},
        {"C:\\DATA", "C:\\DATA\\FAVORITE\\"},
        {"C:\\DATA\\FAVORITE\\", "C:\\DATA\\FAVORITE\\"},
        {"C:\\DATA\\FAVORITE", "C:\\DATA\\FAVORITE\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(force_favorite(c.root), c.folder) << c.root;
}

// Names as the distributor gives its files: a ticker run longer than two is
// filled with "_", and a single-digit year, which the distributor refuses,
// names nothing.
TEST(Favourites, NamesByTheDistributorsMasks) {
    const struct Case {
        const char* line;
        const char* mask;
        const char* name;
    } cases[] = {
        {"W_2005H", "TTMYY", "W_H05"},
        {"W_2005H", "TTMMYYYY", "W_032005"},
        {"W_2005H", "TTMY", ""},
        {"W_2005H", "TTTMMYYYY.TX", "W__032005.TX"},
        {"W_1998H", "TTMMMYYY", "W_MAR098"},
        {"w_2005h comment", "ttmyy.txt", "W_H05.TXT"},
    };
    for (const Case& c : cases) {
        const auto favourite = parse_favourite(c.line);
        ASSERT_TRUE(favourite) << c.line;
        EXPECT_EQ(determine_name(*favourite, c.mask), c.name) << c.line << " " << c.mask;
    }
    for (const char* bad : {"", "W_2005", "W_20X5H", "W_2005A", "1_2005H"}) EXPECT_FALSE(parse_favourite(bad)) << bad;
}

TEST(Favourites, ListLinesAfterTheTwoHeadings) {
    SampleInstall install;
    install.write("FAVOR.ASC", std::string(list_headings) + "W_2005H first\nSP2005M" /* no line end */);
    EXPECT_EQ(read_favourite_lines("\\QUORVANT\\FAVOR.ASC"), (std::vector<std::string>{"W_2005H first", "SP2005M"}));
    EXPECT_TRUE(read_favourite_lines("\\QUORVANT\\FAVOR.MS").empty());
}

// The ASCII favourites are copied from the contract's folder, or its group
// folder, into FAVORITE, which is emptied first; what cannot be found is
// passed over.
TEST(Favourites, CopiesAsciiFavourites) {
    for (const bool groups : {false, true}) {
        SampleInstall install;
        const std::string source = groups ? "ASCII/GRAINS/" : "ASCII/W_/";
        if (groups) set_setting(install, "DATA FORMAT", "1C1Y");
        set_setting(install, "ASCII MASK", "TTTMYY.TXT");
        install.write(source + "W__H05.TXT", "20050301,300,310,290,305\n");
        install.write(source + "W__K05.TXT", std::string(70'000, 'x'));
        install.write("ASCII/FAVORITE/OLD.TXT", "left from the last run\n");
        install.write("FAVOR.ASC", std::string(list_headings) +
                                       "W_2005H\n"
                                       "W_2005K\n"
                                       "W_2005N not distributed\n"
                                       "ZZ2005H unknown commodity\n"
                                       "bad line\n");
        install.write("FAVOR.PND", "");  // the distributor's mark
        run();
        EXPECT_EQ(folder_names(install.path("ASCII/FAVORITE")), (std::vector<std::string>{"W__H05.TXT", "W__K05.TXT"}))
            << groups;
        EXPECT_FALSE(fs::exists(install.path("FAVOR.PND"))) << "the favourites are copied: the mark goes";
        EXPECT_EQ(install.read("ASCII/FAVORITE/W__H05.TXT"), install.read(source + "W__H05.TXT"));
        EXPECT_EQ(install.read("ASCII/FAVORITE/W__K05.TXT"), install.read(source + "W__K05.TXT"));
        EXPECT_FALSE(fs::exists(install.path("META/FAVORITE")));
    }
}

TEST(Favourites, NoListNoFolder) {
    SampleInstall install;
    install.write("FAVOR.ASC", list_headings);
    run();
    EXPECT_FALSE(fs::exists(install.path("ASCII/FAVORITE")));
    EXPECT_FALSE(fs::exists(install.path("META/FAVORITE")));
}

// A source MetaStock folder holding the daily securities, each with data files
// whose bytes name the security.
void source_folder(SampleInstall& install, const std::string& folder, const std::vector<std::string>& symbols,
                   int first_number = 1) {
    MetaStockMaster master;
    int number = first_number;
    for (const std::string& symbol : symbols) {
        master.records.push_back(MasterRecord::make(number, symbol + " SECURITY", symbol, 'D'));
        install.write(folder + "/F" + std::to_string(number) + ".DAT", "data of " + symbol);
        install.write(folder + "/F" + std::to_string(number) + ".DOP", "fields of " + symbol);
        ++number;
    }
    master.set_highest_file_number(number - 1);
    ASSERT_TRUE(create_folders("\\QUORVANT\\" + folder));
    ASSERT_TRUE(write_master("\\QUORVANT\\" + folder, master));
}

MetaStockMaster favourites_master() {
    const MasterReadResult read = read_master("\\QUORVANT\\META\\FAVORITE\\");
    EXPECT_EQ(read.status, MasterReadResult::ok);
    return read.master;
}

TEST(Favourites, MetaStockFavouritesNumberedFromOne) {
    SampleInstall install;
    source_folder(install, "META/W_", {"W_H05", "W_K05"}, 7);
    // A weekly series of the same symbol is not a favourite.
    {
        MetaStockMaster master = read_master("\\QUORVANT\\META\\W_\\").master;
        master.records.insert(master.records.begin(), MasterRecord::make(9, "W_N05 WEEKLY", "W_N05", 'W'));
        master.set_highest_file_number(9);
        ASSERT_TRUE(write_master("\\QUORVANT\\META\\W_\\", master));
    }
    // Full folders send the distributor on to the numbered ones, as far as 9.
    source_folder(install, "META/W_1", {"W_U05"});
    source_folder(install, "META/W_2", {"W_Z05"});
    source_folder(install, "META/W_3", {"W_H06"});
    for (int k = 4; k <= 8; ++k) source_folder(install, "META/W_" + std::to_string(k), {"X" + std::to_string(k)});
    source_folder(install, "META/W_9", {"W_K06"}, 4);
    install.write("META/FAVORITE/F9.DAT", "left from the last run");
    install.write("FAVOR.MS", std::string(list_headings) +
                                  "W_2005K\n"
                                  "W_2006H in W_3\n"
                                  "W_2005N weekly only\n"
                                  "W_2006K in W_9\n"
                                  "W_2005H\n");
    run();

    const MetaStockMaster master = favourites_master();
    ASSERT_EQ(master.records.size(), 4u);
    EXPECT_EQ(master.highest_file_number(), 4);
    const char* symbols[] = {"W_K05", "W_H06", "W_K06", "W_H05"};
    for (int i = 0; i < 4; ++i) {
        const MasterRecord& record = master.records[static_cast<std::size_t>(i)];
        EXPECT_EQ(record.file_number(), i + 1);
        EXPECT_EQ(record.symbol(), symbols[i]);
        EXPECT_EQ(record.security_name(), symbols[i]);
        EXPECT_EQ(record.time_frame(), 'D');
        EXPECT_EQ(install.read("META/FAVORITE/F" + std::to_string(i + 1) + ".DAT"), std::string("data of ") + symbols[i]);
        EXPECT_EQ(install.read("META/FAVORITE/F" + std::to_string(i + 1) + ".DOP"), std::string("fields of ") + symbols[i]);
    }
    EXPECT_EQ(folder_names(install.path("META/FAVORITE")),
              (std::vector<std::string>{"F1.DAT", "F1.DOP", "F2.DAT", "F2.DOP", "F3.DAT", "F3.DOP", "F4.DAT",
                                        "F4.DOP", "MASTER"}));
}

TEST(Favourites, AtMost255MetaStockFavourites) {
    SampleInstall install;
    source_folder(install, "META/W_", {"W_H05"});
    std::string list = list_headings;
    for (int i = 0; i < 256; ++i) list += "W_2005H\n";
    install.write("FAVOR.MS", list);
    run();

    const MetaStockMaster master = favourites_master();
    ASSERT_EQ(master.records.size(), 255u);
    EXPECT_EQ(master.records.back().file_number(), 255);
    EXPECT_EQ(install.read("META/FAVORITE/F255.DAT"), "data of W_H05");
    EXPECT_FALSE(fs::exists(install.path("META/FAVORITE/F256.DAT")));
}

}  // namespace
}  // namespace qv::favorites
