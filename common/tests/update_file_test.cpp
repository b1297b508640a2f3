#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/temp_install.h"
#include "common/update_file.h"
#include "common/update_lines.h"

namespace qv {
namespace {

TEST(UpdateFileName, ReadsTheFiveParts) {
    const auto name = parse_update_file_name("du201207.clc");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text, "DU201207.CLC");
    EXPECT_EQ(name->type, 'D');
    EXPECT_EQ(name->state, 'U');
    EXPECT_EQ(name->date, "201207");
    EXPECT_EQ(name->kind(), DatabaseKind::clc);
    EXPECT_EQ(name->day(), 44172);  // 7 December 2020
    EXPECT_EQ(name->in_state('_'), "D_201207.CLC");

    const auto done = parse_update_file_name("E_050315.CLC");
    ASSERT_TRUE(done);
    EXPECT_EQ(done->state, '_');
    EXPECT_EQ(parse_update_file_name("EX050315.ZIP")->kind(), std::nullopt);
}

TEST(UpdateFileName, RefusesWhatIsNoUpdateFileName) {
    for (const char* name : {"DUPDATE.CLC", "XYZ.CLC", "DU2012070CLC", "DU201207.CLCX", "DU20120.CLC",
                             "1U201207.CLC", "DU20A207.CLC", "DU201207.C1C", ""}) {
        EXPECT_FALSE(parse_update_file_name(name)) << name;
    }
}

// A name read from a file's content becomes a file name only in the strict
// form; everything a damaged or hostile file could put there is refused.
TEST(UpdateFileName, NamesFromFileContentMustBeProper) {
    struct Case {
        std::string line;
        std::optional<std::string> header_name;
        std::optional<std::string> bulletin_name;
    };
    const std::vector<Case> cases = {
        {"DU201207.CLC\n", "DU201207.CLC", "BU201207.CLC"},
        {"du201207.clc some text", "DU201207.CLC", "BU201207.CLC"},
        {"MU201200.IDX", "MU201200.IDX", "BU201200.IDX"},
        {"DU/../../x.CLC", std::nullopt, std::nullopt},
        {"DU..\\..\\x.CLC", std::nullopt, std::nullopt},
        {"DU2012/7.CLC", std::nullopt, std::nullopt},
        {"DU201207.C\nC", std::nullopt, std::nullopt},
        {std::string("DU201207.C\0C", 12), std::nullopt, std::nullopt},
        {"DU201207 CLC", std::nullopt, std::nullopt},
        {"DU201207.CL", std::nullopt, std::nullopt},
        {"D_201207.CLC", std::nullopt, "BU201207.CLC"},
        {"XU201207.CLC", std::nullopt, "BU201207.CLC"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(header_file_name(c.line), c.header_name) << c.line;
        EXPECT_EQ(bulletin_file_name(c.line), c.bulletin_name) << c.line;
    }
}

TEST(UpdateFileName, HeaderNameIsFoundWithinTheFirstTenLines) {
    testing::TempInstall install;
    install.write("UPDATES/DUPDATE.CLC", "\n\nDU201207.CLC\nBP 201207 1 2 3 4 5 6 7\n");
    install.write("UPDATES/BAD.CLC", "DU../../../etc/passwd\nDU201207.CLC\n");
    install.write("UPDATES/LATE.CLC", std::string(10, '\n') + "DU201207.CLC\n");
    EXPECT_EQ(read_header_file_name("\\QUORVANT\\UPDATES\\DUPDATE.CLC"), "DU201207.CLC");
    // The first DU line decides; one that holds no proper name names nothing.
    EXPECT_EQ(read_header_file_name("\\QUORVANT\\UPDATES\\BAD.CLC"), std::nullopt);
    EXPECT_EQ(read_header_file_name("\\QUORVANT\\UPDATES\\LATE.CLC"), std::nullopt);
    EXPECT_EQ(read_header_file_name("\\QUORVANT\\UPDATES\\MISSING.CLC"), std::nullopt);
}

TEST(UpdateFileTag, FollowsTheCharacterRangesOfEachKind) {
    struct Case {
        const char* line;
        bool clc;
        bool cot_idx;
    };
    for (const Case& c : std::vector<Case>{{"BP", true, true},
                                           {"bp", true, true},
                                           {"W_", true, true},
                                           {"B0", true, false},
                                           {"B1", true, true},
                                           {"B@", true, true},
                                           {"B/", false, false},
                                           {"B`", false, false},
                                           {"1P", false, false},
                                           {"_P", false, false},
                                           {"B", false, false}}) {
        EXPECT_EQ(is_valid_tag(c.line, DatabaseKind::clc), c.clc) << c.line;
        EXPECT_EQ(is_valid_tag(c.line, DatabaseKind::cot), c.cot_idx) << c.line;
        EXPECT_EQ(is_valid_tag(c.line, DatabaseKind::idx), c.cot_idx) << c.line;
    }
}

// An update file's lines from a text, through a temporary file as the readers get them.
class UpdateText {
public:
    UpdateText(const std::string& text, DatabaseKind kind = DatabaseKind::clc) {
        install_.write("UPDATES/DU201207.CLC", text);
        source_.emplace(*UpdateLineSource::open("\\QUORVANT\\UPDATES\\DU201207.CLC", update_line_length(kind)));
    }
    UpdateLineSource& source() { return *source_; }

private:
    testing::TempInstall install_;
    std::optional<UpdateLineSource> source_;
};

std::vector<std::string> rest_of(UpdateLineSource& source) {
    std::vector<std::string> lines;
    std::string line;
    while (source.next(line)) lines.push_back(line);
    return lines;
}

TEST(UpdateFileHeader, SkipsShortLinesHeaderAndBulletin) {
    struct Case {
        std::string text;
        std::optional<std::string> header;
        std::vector<std::string> data;
    };
    const std::vector<Case> cases = {
        {"\n\nDU201207.CLC\nBP 201207 1 2 3 4 5 6 7\n", "DU201207.CLC\n", {"BP 201207 1 2 3 4 5 6 7\n"}},
        {"\r\nab\r\nDU201207.CLC\r\nBP 201207\r\n", "DU201207.CLC\n", {"BP 201207\n"}},
        {"DU201207.CLC\n$\nSERVICE NOTE\nSECOND LINE\n$\nBP 201207\n", "DU201207.CLC\n", {"BP 201207\n"}},
        {"DU201207.CLC\n$ BULLETIN\nSERVICE NOTE\n$END\n", "DU201207.CLC\n", {}},
        // A bulletin that is never closed takes the rest of the file with it.
        {"DU201207.CLC\n$\nSERVICE NOTE\nBP 201207\n", "DU201207.CLC\n", {}},
        {"\n\n", std::nullopt, {}},
        {"", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        UpdateText file(c.text);
        EXPECT_EQ(file.source().skip_header(), c.header) << c.text;
        EXPECT_EQ(rest_of(file.source()), c.data) << c.text;
    }
}

TEST(UpdateFileHeader, LongLinesAreCutNotSplit) {
    const std::string tail = "BP 201207 1 2 3 4 5 6 7";
    UpdateText file("DU201207.CLC\nSP 201207 " + std::string(200, '9') + tail + "\nSF 201207\n");
    file.source().skip_header();
    std::string line;
    ASSERT_TRUE(file.source().next(line));
    EXPECT_EQ(line.size(), clc_update_line_length);
    EXPECT_TRUE(file.source().last_was_cut());
    ASSERT_TRUE(file.source().next(line));
    EXPECT_EQ(line, "SF 201207\n");
    EXPECT_FALSE(file.source().last_was_cut());
}

// Reads the CLC records of one tag.
struct ClcRun {
    std::vector<ClcUpdateRecord> records;
    UpdateRead end = UpdateRead::record;
    std::string message;
};

ClcRun read_clc_tag(UpdateRecordReader& reader, std::string_view tag) {
    ClcRun run;
    ClcUpdateRecord record;
    while ((run.end = reader.read_clc(tag, record)) == UpdateRead::record) run.records.push_back(record);
    run.message = reader.message();
    return run;
}

TEST(ClcUpdateLines, ReadsPricesCountsAndDateOnlyLines) {
    UpdateText file(
        "DU201207.CLC\n"
        "bp 201207 1.2345,1.2400\t1.2300 1.2350 100 2000 -30\n"
        "1P 201207 this line is passed over\n"
        "BP 201208\n"
        "SF 201207 0.7 0.8 0.6 0.75 1 2 3\n");
    file.source().skip_header();
    UpdateRecordReader reader(file.source(), DatabaseKind::clc);
    ASSERT_EQ(reader.next_tag(), "BP");
    const ClcRun bp = read_clc_tag(reader, "BP");
    EXPECT_EQ(bp.end, UpdateRead::end_of_tag);
    ASSERT_EQ(bp.records.size(), 2u);
    const ClcUpdateLine& first = bp.records[0].line;
    EXPECT_EQ(first.tag, "BP");
    EXPECT_EQ(first.day_number(), 44172);
    EXPECT_FALSE(first.date_only);
    EXPECT_EQ(first.prices, (std::array<std::string, 4>{"1.2345", "1.2400", "1.2300", "1.2350"}));
    EXPECT_EQ(first.counts, (std::array<std::int64_t, 3>{100, 2000, -30}));
    EXPECT_TRUE(bp.records[0].same_tag_follows);
    EXPECT_TRUE(bp.records[1].line.date_only);
    EXPECT_EQ(bp.records[1].line.day_number(), 44173);
    EXPECT_FALSE(bp.records[1].same_tag_follows);

    ASSERT_EQ(reader.next_tag(), "SF");
    const ClcRun sf = read_clc_tag(reader, "SF");
    EXPECT_EQ(sf.end, UpdateRead::end_of_file);
    EXPECT_EQ(sf.records.size(), 1u);
    EXPECT_EQ(reader.next_tag(), std::nullopt);
}

TEST(ClcUpdateLines, RollOverLineComesWithTheFirstDayOfTheNewContract) {
    UpdateText file(
        "DU201207.CLC\n"
        "BP 000000 1.30 1.30 1.30 1.31 0 0 0\n"
        "BP 201207 1.31 1.32 1.30 1.315 10 20 30\n");
    file.source().skip_header();
    UpdateRecordReader reader(file.source(), DatabaseKind::clc);
    const ClcRun run = read_clc_tag(reader, "BP");
    ASSERT_EQ(run.records.size(), 1u);
    ASSERT_TRUE(run.records[0].rollover);
    EXPECT_EQ(run.records[0].rollover->day_number(), 0);
    EXPECT_EQ(run.records[0].rollover->prices[3], "1.31");
    EXPECT_EQ(run.records[0].line.day_number(), 44172);
    EXPECT_EQ(run.end, UpdateRead::end_of_file);
}

TEST(ClcUpdateLines, BrokenLinesFailWithTheirMessage) {
    const std::string rollover = "BP 000000 1.30 1.30 1.30 1.31 0 0 0\n";
    struct Case {
        std::string lines;
        std::string message;
    };
    const std::vector<Case> cases = {
        {rollover + "SF 201207 0.7 0.8 0.6 0.75 1 2 3\n",
         "ERROR - CLC TAG CHANGE FOLLOWING ROLL OVER RECORD,@DATE = 12/7/2020"},
        {rollover, "ERROR - EOF FOLLOWS CLC ROLL OVER RECORD,@DATE = 0/0/0"},
        {rollover + rollover, "ERROR - TWO CONSECUTIVE CLC ROLL OVER RECORDS,@DATE = 0/0/0"},
        {"BP 201207 1 2 3 4 5 6 7 \n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
        {"BP 201207 1 2 3 4 5 6\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
        {"BP 201207 1 2 3 4 5 6 7 8\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
        {"BP 201207 1 N/A 3 4 5 6 7\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
        {"BP 201207 1 2 3 4 5 6 99999999999\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
        {"BP 201307 1 2 3 4 5 6 7\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 13/7/2020"},
        {"BP 751207 1 2 3 4 5 6 7\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/75"},
        {"BP 20X207 1 2 3 4 5 6 7\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 0/7/20"},
        {"BP 2012\n", " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/0/20"},
        {"BP 201207 1 2 3 4 5 6 " + std::string(140, '7') + "\n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/7/2020"},
    };
    for (const Case& c : cases) {
        UpdateText file("DU201207.CLC\n" + c.lines);
        file.source().skip_header();
        UpdateRecordReader reader(file.source(), DatabaseKind::clc);
        const ClcRun run = read_clc_tag(reader, "BP");
        EXPECT_EQ(run.end, UpdateRead::failed) << c.lines;
        EXPECT_EQ(run.message, c.message) << c.lines;
    }
}

TEST(ClcUpdateLines, SkipTagPassesOverOneCommodity) {
    UpdateText file("DU201207.CLC\nBP 201207 1 2 3 4 5 6 7\nBP 201208 1 2 3 4 5 6 7\nSF 201207\n");
    file.source().skip_header();
    UpdateRecordReader reader(file.source(), DatabaseKind::clc);
    reader.skip_tag("BP");
    EXPECT_EQ(reader.next_tag(), "SF");
}

TEST(CotUpdateLines, ReadsElevenValuesAndDateOnlyLines) {
    UpdateText file(
        "DU201208.COT\n"
        "SP 201208 1 2 3 4 5 6 7 8 9 10 11 anything after is ignored\n"
        "S0 201208 1 2 3 4 5 6 7 8 9 10 11\n"
        "SP 201201\n"
        "SP 201215 1 2 3\n",
        DatabaseKind::cot);
    file.source().skip_header();
    UpdateRecordReader reader(file.source(), DatabaseKind::cot);
    CotUpdateLine line;
    ASSERT_EQ(reader.read_cot("SP", line), UpdateRead::record);
    EXPECT_EQ(line.values, (std::array<std::int32_t, 11>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(line.day_number(), 44173);
    // S0 fails the COT tag test and is passed over.
    ASSERT_EQ(reader.read_cot("SP", line), UpdateRead::record);
    EXPECT_TRUE(line.date_only);
    EXPECT_EQ(reader.read_cot("SP", line), UpdateRead::failed);
    EXPECT_EQ(reader.message(), " COT UPDATE LINE OF DATA OUT OF SYNC,@DATE = 12/15/2020");

    // A line cut at its limit is still read when the cut falls after the eleventh number.
    const std::string values = "SP 201208 1 2 3 4 5 6 7 8 9 10 11";
    EXPECT_EQ(parse_cot_line(values + " " + std::string(130, 'X'), true, line), LineCheck::data);
    EXPECT_EQ(parse_cot_line(values, true, line), LineCheck::out_of_sync);
}

TEST(IdxUpdateLines, WidensTheYearAndKeepsTheFieldsAsText) {
    struct Case {
        std::string line;
        LineCheck check;
        std::string text;
        bool date_only;
    };
    const std::vector<Case> cases = {
        {"DJ 201207 3123.45 3130.00 3110.20 3125.10\n", LineCheck::data, "20201207 3123.45 3130.00 3110.20 3125.10",
         false},
        {"dj 991231 10.5\n", LineCheck::data, "19991231 10.5", false},
        {"DJ 291231 10\n", LineCheck::data, "20291231 10", false},
        {"DJ 301231 10\n", LineCheck::data, "19301231 10", false},
        {"DJ 201207\n", LineCheck::data, "", true},
        {"DJ 201207 1\n", LineCheck::data, "", true},  // 9 characters after the blank, line end counted
        {"DJ 201207 1", LineCheck::data, "", true},   // the same on a last line without a line end
        {"DJ201207 3123.45\n", LineCheck::skip, "", false},
        {"DJ  201207 3123.45\n", LineCheck::skip, "", false},
        {"D0 201207 3123.45\n", LineCheck::skip, "", false},
        {"DJ 2012XX 3123.45\n", LineCheck::out_of_sync, "", false},
    };
    for (const Case& c : cases) {
        IdxUpdateLine line;
        EXPECT_EQ(parse_idx_line(c.line, false, line), c.check) << c.line;
        if (c.check != LineCheck::data) continue;
        EXPECT_EQ(line.tag, "DJ");
        EXPECT_EQ(line.text, c.text) << c.line;
        EXPECT_EQ(line.date_only, c.date_only) << c.line;
    }
    IdxUpdateLine line;
    EXPECT_EQ(parse_idx_line("DJ 201207 " + std::string(198, '1'), true, line), LineCheck::out_of_sync);
}

TEST(BroadcastLines, KeepsTheLinesOfTheFileDateAndNotesRollOvers) {
    testing::TempInstall install;
    install.write("UPDATES/DB201207.CLC",
                  "short\n"
                  "du201207.clc\n"
                  "$\nBULLETIN\n$\n"
                  "BP 201207 1 2 3 4 5 6 7\n"
                  "BP 201204 1 2 3 4 5 6 7\n"
                  "SF 000000 1 2 3 4 5 6 7\n"
                  "sf 201207 1 2 3 4 5 6 7\n");
    const BroadcastLines read = read_broadcast_lines("DB201207.CLC");
    EXPECT_EQ(read.date, "201207");
    EXPECT_EQ(read.lines, (std::vector<std::string>{"BP 201207 1 2 3 4 5 6 7", "sf 201207 1 2 3 4 5 6 7"}));
    EXPECT_EQ(read.rolled_tags, std::vector<std::string>{"SF"});
    EXPECT_TRUE(read.messages.empty());
}

TEST(BroadcastLines, ReportsFilesItCannotUse) {
    testing::TempInstall install;
    install.write("UPDATES/DB201207.CLC", "\nBP 201207 1 2 3 4 5 6 7\n");
    EXPECT_EQ(read_broadcast_lines("DB201207.CLC").messages,
              std::vector<std::string>{"ERROR - UPDATE FILE BP 201207 1 2 3 4 5 6 7 DOESN'T START WITH DU LINE"});
    EXPECT_EQ(read_broadcast_lines("DB201208.CLC").messages,
              std::vector<std::string>{"CAN'T OPEN UPDATE FILE DB201208.CLC TO BROADCAST IT"});
}

TEST(BroadcastLines, WarnsOnlyWhenLinesAreLeftOut) {
    testing::TempInstall install;
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "BP 201207 1 2 3 4 5 6 7\n";
    install.write("UPDATES/DB201207.CLC", "DU201207.CLC\n" + lines);
    const BroadcastLines full = read_broadcast_lines("DB201207.CLC");
    EXPECT_EQ(full.lines.size(), 300u);
    EXPECT_TRUE(full.messages.empty());

    std::string over;
    for (int i = 0; i < 301; ++i) over += "BP 201208 1 2 3 4 5 6 7\n";
    install.write("UPDATES/DB201208.CLC", "DU201208.CLC\n" + over);
    const BroadcastLines cut = read_broadcast_lines("DB201208.CLC");
    EXPECT_EQ(cut.lines.size(), 300u);
    EXPECT_EQ(cut.messages,
              std::vector<std::string>{"WARNING - UPDATE FILE CONTAINS TOO MANY LINES@EXTRA LINES IGNORED"});
}

}  // namespace
}  // namespace qv
