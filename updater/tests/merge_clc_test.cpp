#include "updater/merge_clc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "common/platform/text.h"
#include "common/testing/recording_console.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

using testing::clc_bytes;
using testing::clc_path;
using testing::commodity;
using testing::day;
using testing::record;
using testing::rollover;

// The week of 30 November 2020 (Monday) to 4 December 2020 (Friday).
std::vector<ClcRecord> stored_week() {
    std::vector<ClcRecord> records;
    for (int d = 0; d < 5; ++d) records.push_back(record(day(2020, 11, 30) + d, 12000 + d));
    return records;
}

ClcRecord line_record(DayNumber d, std::int32_t open, std::int32_t high, std::int32_t low, std::int32_t close,
                      std::uint32_t oi, std::uint32_t tv, std::uint32_t toi) {
    return ClcRecord{d, open, high, low, close, oi, tv, toi};
}

class MergeClcTest : public ::testing::Test {
protected:
    void SetUp() override {
        state_ = testing::updater_state({commodity("AA", 2, 3), commodity("BP", 4, 2), commodity("SP", 2, 4)});
    }
    void store(std::string_view tag, int precision, int bytes, const std::vector<ClcRecord>& records) {
        install_.write(clc_path(tag), clc_bytes(tag, precision, bytes, records));
    }
    void update(std::string_view name, std::string_view lines) {
        install_.write("UPDATES/" + std::string(name), std::string(name) + "\n" + std::string(lines));
    }
    std::string stored(std::string_view tag) const { return install_.read(clc_path(tag)); }
    std::string messages() const { return install_.read("QUORUP.MSG"); }

    testing::TempInstall install_;
    testing::RecordingConsole console_;
    UpdaterState state_;
};

constexpr std::string_view monday_line = "BP 201207 1.2345 1.2400 1.2300 1.2350 1000 2000 3000\n";
constexpr std::string_view tuesday_line = "BP 201208 1.2445 1.2500 1.2400 1.2450 1100 2100 3100\n";
const ClcRecord monday = line_record(day(2020, 12, 7), 12345, 12400, 12300, 12350, 1000, 2000, 3000);
const ClcRecord tuesday = line_record(day(2020, 12, 8), 12445, 12500, 12400, 12450, 1100, 2100, 3100);

// Friday's record with the open interests of the line after it; its volume stays.
ClcRecord carried(ClcRecord friday, const ClcRecord& from) {
    friday.open_interest = from.open_interest;
    friday.total_open_interest = from.total_open_interest;
    return friday;
}

TEST_F(MergeClcTest, OpenInterestOfADailyUpdateGoesBackToTheTradingDayBefore) {
    const ClcRecord friday = stored_week().back();
    struct Case {
        const char* what;
        std::string file;
        std::string lines;
        std::vector<DayNumber> holidays;
        std::vector<ClcRecord> added;  // after Thursday
        bool several_days;
    };
    const Case cases[] = {
        {"Monday after Friday", "DU201207.CLC", std::string(monday_line), {}, {carried(friday, monday), monday}, false},
        {"Tuesday after a Monday holiday", "DU201208.CLC", std::string(tuesday_line), {day(2020, 12, 7)},
         {carried(friday, tuesday), tuesday}, false},
        {"Tuesday, Monday a trading day", "DU201208.CLC", std::string(tuesday_line), {}, {friday, tuesday}, false},
        {"several days in a multi-day file", "MU201208.CLC", std::string(monday_line) + std::string(tuesday_line), {},
         {friday, monday, tuesday}, true},
        {"several days in a daily file", "DU201208.CLC", std::string(monday_line) + std::string(tuesday_line), {},
         {friday, monday, tuesday}, true},
        {"a single day in a multi-day file", "MU201207.CLC", std::string(monday_line), {}, {friday, monday}, false},
        {"a date-only line deletes Friday and carries nothing", "DU201204.CLC", "BP 201204\n", {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state_ = testing::updater_state({commodity("AA", 2, 3), commodity("BP", 4, 2)}, c.holidays);
        store("BP", 4, 2, stored_week());
        update(c.file, c.lines);
        ASSERT_EQ(merge_clc(state_, c.file), 0);
        std::vector<ClcRecord> expected = stored_week();
        expected.pop_back();
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(stored("BP"), clc_bytes("BP", 4, 2, expected));
        EXPECT_EQ(state_.several_days[1], c.several_days);
        EXPECT_FALSE(state_.several_days[0]);
    }
}

TEST_F(MergeClcTest, RollOverLineWritesARollOverRecordBeforeTheNewContractsFirstDay) {
    std::vector<ClcRecord> week = stored_week();
    week.push_back(record(day(2020, 12, 7), 12100));
    store("BP", 4, 2, week);
    update("DU201208.CLC", "BP 000000 1.2100 1.2100 1.2100 1.3100 5 6 7\n" + std::string(tuesday_line));
    ASSERT_EQ(merge_clc(state_, "DU201208.CLC"), 0);
    std::vector<ClcRecord> expected = week;
    expected.back() = carried(expected.back(), tuesday);
    expected.push_back(line_record(no_date, 12100, 12100, 12100, 13100, 5, 6, 7));
    expected.push_back(tuesday);
    EXPECT_EQ(stored("BP"), clc_bytes("BP", 4, 2, expected));
}

TEST_F(MergeClcTest, InsertsReplacesAndDeletesDays) {
    std::vector<ClcRecord> week = stored_week();
    week.erase(week.begin() + 1);  // no Tuesday stored
    store("BP", 4, 2, week);
    update("MU201204.CLC",
           "BP 201201 1.1000 1.1000 1.1000 1.1000 1 2 3\n"  // inserted
           "BP 201202 1.2000 1.2000 1.2000 1.2000 4 5 6\n"  // replaces Wednesday
           "BP 201203\n"                                    // deletes Thursday
           "BP 201205\n");                                  // a Saturday not stored: nothing
    ASSERT_EQ(merge_clc(state_, "MU201204.CLC"), 0);
    const std::vector<ClcRecord> expected = {
        week[0], line_record(day(2020, 12, 1), 11000, 11000, 11000, 11000, 1, 2, 3),
        line_record(day(2020, 12, 2), 12000, 12000, 12000, 12000, 4, 5, 6), week[3]};
    EXPECT_EQ(stored("BP"), clc_bytes("BP", 4, 2, expected));
    EXPECT_EQ(messages(), "");
}

TEST_F(MergeClcTest, LinesOfUnknownTagsAndOfCommoditiesWithoutAFileArePassedOver) {
    store("AA", 2, 3, stored_week());
    store("BP", 4, 2, stored_week());
    update("MU201207.CLC",
           "\n\nAA 201207 120.50 121 120 120.75 9 8 7\n"
           "ZZ 201207 1 2 3 4 5 6 7\n"
           "1P 201207 1 2 3 4 5 6 7\n"
           "SP 201207 3500.25 3510 3490 3505.5 1 2 3\n"
           "bp 201207 1.2345 1.2400 1.2300 1.2350 1000 2000 3000\n");
    ASSERT_EQ(merge_clc(state_, "MU201207.CLC"), 0);
    std::vector<ClcRecord> aa = stored_week();
    aa.push_back(line_record(day(2020, 12, 7), 12050, 121, 120, 12075, 9, 8, 7));
    EXPECT_EQ(stored("AA"), clc_bytes("AA", 2, 3, aa));
    std::vector<ClcRecord> bp = stored_week();
    bp.push_back(monday);
    EXPECT_EQ(stored("BP"), clc_bytes("BP", 4, 2, bp));
    EXPECT_FALSE(std::filesystem::exists(install_.path("CLC/SP_CLC.QVT")));
    EXPECT_FALSE(std::filesystem::exists(install_.path("CLC/TEMP_CLC.QVT")));
    EXPECT_EQ(messages(), "");
}

TEST_F(MergeClcTest, AFailureLeavesTheCommodityAsItWasAndEarlierOnesMerged) {
    const std::string aa_line = "AA 201207 120.50 121 120 120.75 9 8 7\n";
    struct Case {
        const char* what;
        std::string lines;
        std::string message;
    };
    const Case cases[] = {
        {"a field that does not read", "BP 201207 1.2345 1.2400 X 1.2350 1000 2000 3000\n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/7/2020\n\n"},
        {"a blank after the last count", "BP 201207 1.2345 1.2400 1.2300 1.2350 1000 2000 3000 \n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/7/2020\n\n"},
        {"a count missing", "BP 201207 1.2345 1.2400 1.2300 1.2350 1000 2000\n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/7/2020\n\n"},
        {"a price too large for the file's width", "BP 201207 7.0000 7.0000 7.0000 7.0000 1 2 3\n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/7/2020\n\n"},
        {"the end of the file after a roll-over line", "BP 000000 1 1 1 1 0 0 0\n",
         "ERROR - EOF FOLLOWS CLC ROLL OVER RECORD,\nDATE = 0/0/0\n\n"},
        {"another tag after a roll-over line", "BP 000000 1 1 1 1 0 0 0\nSP 201207 1 1 1 1 0 0 0\n",
         "ERROR - CLC TAG CHANGE FOLLOWING ROLL OVER RECORD,\nDATE = 12/7/2020\n\n"},
        {"two roll-over lines", "BP 000000 1 1 1 1 0 0 0\nBP 000000 1 1 1 1 0 0 0\n",
         "ERROR - TWO CONSECUTIVE CLC ROLL OVER RECORDS,\nDATE = 0/0/0\n\n"},
        {"a bad line after good ones", std::string(monday_line) + "BP 201208 1.2 1.2 1.2\n",
         " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/8/2020\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(install_.path("QUORUP.MSG"));
        store("AA", 2, 3, stored_week());
        store("BP", 4, 2, stored_week());
        const std::string before = stored("BP");
        // Another commodity follows, unless the file must end with the faulty line.
        const bool ends = c.message.starts_with("ERROR - EOF");
        update("MU201207.CLC", aa_line + c.lines + (ends ? "" : "AA 201208 1 1 1 1 1 1 1\n"));
        EXPECT_EQ(merge_clc(state_, "MU201207.CLC"), -1);
        EXPECT_EQ(stored("BP"), before);
        std::vector<ClcRecord> aa = stored_week();
        aa.push_back(line_record(day(2020, 12, 7), 12050, 121, 120, 12075, 9, 8, 7));
        EXPECT_EQ(stored("AA"), clc_bytes("AA", 2, 3, aa));
        EXPECT_EQ(messages(), c.message);
        EXPECT_FALSE(std::filesystem::exists(install_.path("CLC/TEMP_CLC.QVT")));
    }
}

TEST_F(MergeClcTest, ADefectiveFileIsBypassedAndTheMergeGoesOn) {
    std::string defective = clc_bytes("BP", 4, 2, stored_week());
    defective[4] = 5;  // a price width the layout does not know
    install_.write(clc_path("BP"), defective);
    install_.write(clc_path("SP"), "SP");  // ends inside its header
    store("AA", 2, 3, stored_week());
    update("DU201207.CLC", std::string(monday_line) + "SP 201207 1 1 1 1 1 1 1\nAA 201207 1 1 1 1 1 1 1\n");
    ASSERT_EQ(merge_clc(state_, "DU201207.CLC"), 0);
    EXPECT_EQ(stored("BP"), defective);
    EXPECT_EQ(stored("SP"), "SP");
    EXPECT_EQ(stored("AA").size(), clc_header_size + 6 * 23);
    EXPECT_EQ(messages(),
              " ERROR - MASTER CLC FILE FOR BP IS DEFECTIVE \n BYPASSING IT \n\n"
              " ERROR - MASTER CLC FILE FOR SP IS DEFECTIVE \n BYPASSING IT \n\n");
}

TEST_F(MergeClcTest, TheHeaderGetsThePrecisionOfTheTable) {
    std::string file = clc_bytes("BP", 2, 2, stored_week());
    file[10] = 'x';  // reserved bytes are kept as found
    install_.write(clc_path("BP"), file);
    update("MU201207.CLC", "BP 201201\n");
    ASSERT_EQ(merge_clc(state_, "MU201207.CLC"), 0);
    std::vector<ClcRecord> expected = stored_week();
    expected.erase(expected.begin() + 1);
    std::string refreshed = clc_bytes("BP", 4, 2, expected);
    refreshed[10] = 'x';
    EXPECT_EQ(stored("BP"), refreshed);
}

// Nobody is there to answer: a key pressed during the merge is read, the
// question recorded, and the merge goes on.
TEST_F(MergeClcTest, AKeyPressedDuringTheMergeDoesNotStopIt) {
    testing::RecordingConsole keys("y");
    keys.key_waiting_after(0);
    store("BP", 4, 2, stored_week());
    update("DU201207.CLC", monday_line);
    ASSERT_EQ(merge_clc(state_, "DU201207.CLC"), 0);
    EXPECT_EQ(keys.keys_left(), 0u);
    EXPECT_EQ(messages(), "  DO YOU WANT TO STOP THE UPDATE PROCESS? (Y or N):\n");
    EXPECT_EQ(stored("BP").size(), clc_header_size + 6 * 19);
}

TEST_F(MergeClcTest, AnUpdateFileThatCannotBeOpenedFails) {
    EXPECT_EQ(merge_clc(state_, "DU201207.CLC"), -1);
    EXPECT_EQ(messages(), " UNABLE TO OPEN THE INPUT FILE:\n\\QUORVANT\\UPDATES\\DU201207.CLC, UPDATE ABORTED.\n\n");
}

// A stored roll-over record stands in front of the first day of the new
// contract; replacing or deleting that day does not move it to a later day.
TEST_F(MergeClcTest, AStoredRollOverStaysWhereTheContractChanged) {
    const ClcRecord r = rollover(11000, 12000);
    const std::vector<ClcRecord> stored_days = {record(day(2020, 12, 1), 11000), r, record(day(2020, 12, 2), 12000),
                                                record(day(2020, 12, 3), 12010)};
    const ClcRecord new_wednesday = line_record(day(2020, 12, 2), 20000, 20000, 20000, 20000, 1, 2, 3);
    const ClcRecord own_rollover = line_record(no_date, 11111, 11111, 11111, 22222, 0, 0, 0);
    struct Case {
        const char* what;
        std::string lines;
        std::vector<ClcRecord> expected;
    };
    const Case cases[] = {
        {"a replaced day keeps its roll-over", "BP 201202 2.0 2.0 2.0 2.0 1 2 3\n",
         {stored_days[0], r, new_wednesday, stored_days[3]}},
        {"a replacement with its own roll-over replaces the stored one",
         "BP 000000 1.1111 1.1111 1.1111 2.2222 0 0 0\nBP 201202 2.0 2.0 2.0 2.0 1 2 3\n",
         {stored_days[0], own_rollover, new_wednesday, stored_days[3]}},
        {"a deleted day hands its roll-over to the next day", "BP 201202\n", {stored_days[0], r, stored_days[3]}},
        {"a roll-over at the end stays", "BP 201202\nBP 201203\n", {stored_days[0], r}},
        {"and goes in front of a day appended later", "BP 201202\nBP 201203\nBP 201204 2.0 2.0 2.0 2.0 1 2 3\n",
         {stored_days[0], r, line_record(day(2020, 12, 4), 20000, 20000, 20000, 20000, 1, 2, 3)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store("BP", 4, 2, stored_days);
        update("MU201202.CLC", c.lines);
        ASSERT_EQ(merge_clc(state_, "MU201202.CLC"), 0);
        EXPECT_EQ(stored("BP"), clc_bytes("BP", 4, 2, c.expected));
    }
}

// Long histories: every weekday but holidays from 1985 on, a roll-over every
// 63 days, a gap of a year without records, prices that wander.
std::vector<ClcRecord> long_history(int bytes, const std::vector<DayNumber>& holidays, std::mt19937& random) {
    std::vector<ClcRecord> records;
    std::int32_t price = 5000;
    int count = 0;
    for (DayNumber d = day(1985, 1, 2); d < day(2020, 12, 5); ++d) {
        const int w = weekday(d);
        if (w == saturday || w == sunday) continue;
        if (std::find(holidays.begin(), holidays.end(), d) != holidays.end()) continue;
        if (d >= day(1999, 3, 1) && d < day(2000, 3, 1)) continue;
        price = std::max<std::int32_t>(100, price + static_cast<std::int32_t>(random() % 21) - 10);
        if (bytes == 4 && count % 7 == 0) price = -price;
        if (++count % 63 == 0 && !records.empty()) records.push_back(rollover(price, price + 50));
        records.push_back(record(d, std::abs(price) * (bytes == 4 && count % 7 == 0 ? -1 : 1),
                                 static_cast<std::uint32_t>(random() % tri_max), count, 3 * count));
    }
    return records;
}

TEST_F(MergeClcTest, BlockCopyGivesTheSameFileAsTheRecordMerge) {
    std::vector<DayNumber> holidays;
    for (int year = 1985; year <= 2021; ++year) {
        holidays.push_back(day(year, 12, 25));
        holidays.push_back(day(year, 7, 4));
    }
    holidays.push_back(day(2020, 12, 7));  // a Monday: Tuesday's update carries back to Friday
    const char* updates[] = {
        "DU201208.CLC", "BP 201208 1 2 3 4 5 6 7\nSP 201208 1 2 3 4 5 6 7\nAA 201208 1 2 3 4 5 6 7\n",
        "DU201204.CLC", "BP 201204 9 9 9 9 9 9 9\nSP 201204\nAA 000000 1 1 1 1 1 1 1\nAA 201204 1 2 3 4 5 6 7\n",
        "DU990615.CLC", "BP 990615 1 2 3 4 5 6 7\nSP 990615 1 2 3 4 5 6 7\nAA 990615 1 2 3 4 5 6 7\n",
        "DU990301.CLC", "BP 990226 1 2 3 4 5 6 7\nSP 990301 1 2 3 4 5 6 7\nAA 000000 1 1 1 1 1 1 1\nAA 990301 3 3 3 3 3 3 3\n",
        "DU971006.CLC", "BP 971006\nSP 971003 1 2 3 4 5 6 7\nAA 971007 1 2 3 4 5 6 7\n",
        "DU970101.CLC", "BP 970101 1 1 1 1 1 1 1\nSP 970102\nAA 970103 1 1 1 1 1 1 1\n",
    };
    const std::uint64_t expected[] = {0x867e078bef725e9cULL, 0xd53e3e3cf7086013ULL, 0xf9ff3a66593ac72dULL,
                                      0xf4fc0de1633def7eULL, 0xb08fd6eb3ba4906dULL, 0xe3d3015ccfc7eb3aULL};
    std::mt19937 random(1207);
    const std::vector<ClcRecord> aa = long_history(3, holidays, random);
    const std::vector<ClcRecord> bp = long_history(2, holidays, random);
    const std::vector<ClcRecord> sp = long_history(4, holidays, random);
    for (std::size_t u = 0; u < std::size(updates); u += 2) {
        SCOPED_TRACE(updates[u]);
        std::string results[2];
        for (int pass = 0; pass < 2; ++pass) {
            state_ = testing::updater_state({commodity("AA", 2, 3), commodity("BP", 4, 2), commodity("SP", 2, 4)},
                                            holidays);
            store("AA", 2, 3, aa);
            store("BP", 4, 2, bp);
            store("SP", 2, 4, sp);
            update(updates[u], updates[u + 1]);
            ASSERT_EQ(merge_clc(state_, updates[u], ClcMergeOptions{pass == 0}), 0);
            results[pass] = stored("AA") + stored("BP") + stored("SP");
        }
        EXPECT_TRUE(results[0] == results[1]);
        // And the files are the bytes the merge has always written.
        std::uint64_t sum = 0xcbf29ce484222325ULL;
        for (const char c : results[0]) sum = (sum ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
        EXPECT_EQ(sum, expected[u / 2]) << format("0x%016llxULL", static_cast<unsigned long long>(sum));
    }
}

}  // namespace
}  // namespace qv::updater
