#include "updater/merge_cot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/cot_file.h"
#include "common/testing/recording_console.h"
#include "common/platform/text.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

using testing::day;

// A report whose eleven values are base + 1 to base + 11, as the update line
// "TT YYMMDD base+1 ... base+11" gives them.
CotRecord report(DayNumber d, std::int32_t base) {
    std::array<std::int32_t, 11> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = base + static_cast<std::int32_t>(i) + 1;
    CotRecord r;
    cot_record_from_values(d, values, r);
    return r;
}

std::string line(std::string_view tag, DayNumber d, std::int32_t base) {
    const Date date = lotus_to_date(d);
    std::string text = std::string(tag) + format(" %02d%02d%02d", date.year % 100, date.month, date.day);
    for (int i = 1; i <= 11; ++i) text += format(" %d", base + i);
    return text + "\n";
}

std::string cot_bytes(const std::vector<CotRecord>& records) {
    std::string out;
    for (const CotRecord& r : records) {
        std::string raw(cot_record_size, '\0');
        encode_cot_record(r, reinterpret_cast<std::uint8_t*>(raw.data()));
        out += raw;
    }
    return out;
}

// Tuesdays from 10 November 2020.
DayNumber tuesday(int week) { return static_cast<DayNumber>(day(2020, 11, 10) + 7 * week); }

std::vector<CotRecord> four_reports(std::int32_t base) {
    std::vector<CotRecord> records;
    for (int week = 0; week < 4; ++week) records.push_back(report(tuesday(week), base + 100 * week));
    return records;
}

class MergeCotTest : public ::testing::Test {
protected:
    // The installation's database folder.
    void SetUp() override { std::filesystem::create_directories(install_.path("COT")); }
    void store(std::string_view tag, const std::vector<CotRecord>& records) {
        install_.write(path(tag), cot_bytes(records));
    }
    static std::string path(std::string_view tag) { return "COT/" + std::string(tag) + "_COT.QVT"; }
    std::string stored(std::string_view tag) const { return install_.read(path(tag)); }
    int merge(std::string_view lines) {
        install_.write("UPDATES/DU201208.COT", "DU201208.COT\n" + std::string(lines));
        return merge_cot(state_, "DU201208.COT");
    }
    std::string messages() const {
        return std::filesystem::exists(install_.path("QUORUP.MSG")) ? install_.read("QUORUP.MSG") : "";
    }
    bool work_file_left() const { return std::filesystem::exists(install_.path("COT/TEMP_COT.QVT")); }

    testing::TempInstall install_;
    testing::RecordingConsole console_;
    UpdaterState state_ = testing::updater_state({});
};

TEST_F(MergeCotTest, WeeklyUpdateAppendsOneRecordToEachFile) {
    store("SP", four_reports(1000));
    store("C_", four_reports(5000));
    EXPECT_EQ(merge(line("SP", tuesday(4), 1400) + line("C_", tuesday(4), 5400)), 0);
    std::vector<CotRecord> sp = four_reports(1000);
    sp.push_back(report(tuesday(4), 1400));
    std::vector<CotRecord> corn = four_reports(5000);
    corn.push_back(report(tuesday(4), 5400));
    EXPECT_EQ(stored("SP"), cot_bytes(sp));
    EXPECT_EQ(stored("C_"), cot_bytes(corn));
    EXPECT_EQ(stored("C_").size(), 5 * cot_record_size);
    EXPECT_EQ(messages(), "");
    EXPECT_FALSE(work_file_left());
    EXPECT_NE(console_.transcript().find("{go to 59,14}    {go to 59,14}C_"), std::string::npos);
}

TEST_F(MergeCotTest, StoredReportsAreReplacedInsertedOrDeletedNeverDoubled) {
    const std::vector<CotRecord> base = four_reports(1000);
    struct Case {
        const char* what;
        std::string lines;
        std::vector<CotRecord> result;
    };
    const Case cases[] = {
        {"three re-sent reports", line("SP", tuesday(1), 9100) + line("SP", tuesday(2), 9200) +
                                      line("SP", tuesday(3), 9300),
         {base[0], report(tuesday(1), 9100), report(tuesday(2), 9200), report(tuesday(3), 9300)}},
        {"a report before the first and one after the last",
         line("SP", tuesday(-1), 9000) + line("SP", tuesday(5), 9500),
         {report(tuesday(-1), 9000), base[0], base[1], base[2], base[3], report(tuesday(5), 9500)}},
        {"date-only lines delete stored days only", "SP 201117\nSP 201201\nSP 201229\n",
         {base[0], base[2]}},
    };
    for (const Case& c : cases) {
        store("SP", base);
        EXPECT_EQ(merge(c.lines), 0) << c.what;
        EXPECT_EQ(stored("SP"), cot_bytes(c.result)) << c.what;
    }
}

TEST_F(MergeCotTest, ATagWithoutAFileGetsANewFileOfItsReports) {
    // Tags are not looked up in the commodity table: any valid tag gets its file.
    EXPECT_EQ(merge(line("ZZ", tuesday(0), 10) + "ZZ 201117\n" + line("ZZ", tuesday(2), 20) +
                    line("ZZ", tuesday(3), 30)),
              0);
    EXPECT_EQ(stored("ZZ"), cot_bytes({report(tuesday(0), 10), report(tuesday(2), 20), report(tuesday(3), 30)}));
    EXPECT_EQ(stored("ZZ").size(), 3 * cot_record_size);
    EXPECT_FALSE(work_file_left());
}

TEST_F(MergeCotTest, ANewFileThatCannotBeMadeBypassesItsCommodity) {
    std::filesystem::create_directories(install_.path("COT/ZZ_COT.QVT"));
    store("SP", four_reports(1000));
    EXPECT_EQ(merge(line("ZZ", tuesday(4), 10) + line("ZZ", tuesday(5), 20) + line("SP", tuesday(4), 1400)), 0);
    EXPECT_EQ(messages(), " UNABLE TO CREATE NEW FILE: \\QUORVANT\\COT\\ZZ_COT.QVT\nTHIS COMMODITY BYPASSED.\n\n");
    EXPECT_EQ(stored("SP").size(), 5 * cot_record_size);
}

TEST_F(MergeCotTest, ALineThatDoesNotReadFailsTheMergeAndLeavesItsFileAsItWas) {
    struct Case {
        const char* what;
        std::string bad_line;
        std::string message;
    };
    const Case cases[] = {
        {"ten numbers", "SP 201208 1 2 3 4 5 6 7 8 9 10\n", " COT UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/8/2020\n\n"},
        {"a trader count beyond 16 bits", "SP 201208 1 2 3 4 5 6 7 8 9 10 40000\n",
         " COT UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/8/2020\n\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(install_.path("QUORUP.MSG"));
        store("C_", four_reports(5000));
        store("SP", four_reports(1000));
        const std::string before = stored("SP");
        // The bad line comes after a good one of the same tag: nothing of the
        // tag is kept, while the commodity before it stays merged.
        EXPECT_EQ(merge(line("C_", tuesday(4), 5400) + line("SP", tuesday(3), 7000) + c.bad_line), -1) << c.what;
        EXPECT_EQ(stored("SP"), before) << c.what;
        EXPECT_EQ(stored("C_").size(), 5 * cot_record_size) << c.what;
        EXPECT_EQ(messages(), c.message) << c.what;
        EXPECT_FALSE(work_file_left()) << c.what;
    }
    // Nor is a new file left half-written.
    EXPECT_EQ(merge(line("ZZ", tuesday(4), 10) + "ZZ 201208 1\n"), -1);
    EXPECT_FALSE(std::filesystem::exists(install_.path(path("ZZ"))));
}

TEST_F(MergeCotTest, AMissingUpdateFileIsReported) {
    EXPECT_EQ(merge_cot(state_, "DU201215.COT"), -1);
    EXPECT_EQ(messages(), " UNABLE TO OPEN THE INPUT FILE:\n\\QUORVANT\\UPDATES\\DU201215.COT, UPDATE ABORTED.\n\n");
}

}  // namespace
}  // namespace qv::updater
