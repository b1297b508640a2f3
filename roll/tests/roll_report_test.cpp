#include "roll/roll_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::roll {
namespace {

Commodity commodity(std::string name, std::string all_tag) {
    Commodity row;
    row.tag = name.substr(0, 2);
    row.name = name;
    row.name.resize(16, ' ');
    row.all_tag = "-" + all_tag;
    row.cycle = contract_cycle(row.all_tag);
    return row;
}

TEST(RollReport, ContractsFollowedBracketTheActiveCode) {
    const struct {
        const char* all_tag;
        char active;
        const char* followed;
    } cases[] = {
        {"HHKKNNUUZZZH", 'N', "HK<N>UZ"},
        {"HHKKNNUUZZZH", 'H', "<H>KNUZ"},
        {"HHKKNNUUZZZH", 'Z', "HKNU<Z>"},
        // Soybeans trade the next January contract in November and December,
        // though January's code is not among the months the row rises through.
        {"HHKKNNQUXXFF", 'F', "<F>HKNQUX"},
        {"FGHJKMNQUVXZ", 'K', "FGHJ<K>MNQUVXZ"},
    };
    for (const auto& c : cases) EXPECT_EQ(contracts_followed(commodity("XX X", c.all_tag), c.active), c.followed);
}

TEST(RollReport, OrderIsByTagCharacterByCharacterKeepingTableOrderForEqualTags) {
    const CommodityTable table({commodity("W_ WHEAT", "HHKKNNUUZZZH"), commodity("C_ CORN", "HHKKNNUUZZZH"),
                                commodity("CB CANOLA", "HHKKNNXXXXFF"), commodity("BP FIRST", "HHHMMMUUUZZZ"),
                                commodity("B2 B TWO", "HHHMMMUUUZZZ"), commodity("BP SECOND", "HHHMMMUUUZZZ")});
    std::vector<std::string> names;
    for (const Commodity* row : report_order(table)) names.push_back(row->name);
    EXPECT_EQ(names, (std::vector<std::string>{"B2 B TWO        ", "BP FIRST        ", "BP SECOND       ",
                                               "CB CANOLA       ", "C_ CORN         ", "W_ WHEAT        "}));
}

class RollReportText : public ::testing::Test {
protected:
    // A commodity of every month rolling today, and a long-name tag that rolls
    // in ten days.
    const Commodity fed_funds = commodity("FF 30-DAY FED FD", "FGHJKMNQUVXZ");
    const Commodity bonds = commodity("US T-BONDS", "HHMMMUUUZZZH");
    std::vector<RollLine> lines{
        {&fed_funds, {'K', 5, true, 0, 0, 6, date_to_lotus(2021, 5, 25)}},
        {&bonds, {'M', 6, false, 10, 8, 9, date_to_lotus(2021, 6, 4)}},
    };
};

TEST_F(RollReportText, ShowReportIsTabSeparatedWithTheListOfContracts) {
    EXPECT_EQ(rollshow_text(lines),
              "\n                                              ACTIVE   DAYS-TO-ROLLOVER   ROLL                NEXT"
              "             CONTRACTS"
              "\n COMMODITY                   CONTRACT CALENDER TRADING   DATE           CONTRACT          FOLLOWED\n"
              "\n*FF 30-DAY FED FD\t\tMAY\t  0\t  0\tMAY 25\t            JUN                  FGHJ<K>MNQUVXZ"
              "\n US T-BONDS      \tJUN\t 10\t  8\tJUN 4 \t            SEP                  H<M>UZ"
              "\n"
              " *  This commodity is rolling today to the next contract.\n");
}

TEST_F(RollReportText, PrintReportDatesItselfAndShowsAllTwelveMonthsAsAll) {
    EXPECT_EQ(rollprnt_text(lines, Date{2021, 5, 25}),
              "\n  ROLL, VER. 2.9           ROLL OVER STATUS AS OF DATE: 5/25/2021     "
              "\n\n                    ACTIVE  DAYS TO ROLLOVER    ROLL     CONTRACTS"
              "\n     COMMODITY     CONTRACT CALENDER-TRADING    DATE    NEXT  USED"
              "\n*FF 30-DAY FED FD\tMAY\t  0\t  0\tMAY 25\tJUN  ALL<K>"
              "\n US T-BONDS      \tJUN\t 10\t  8\tJUN 4 \tSEP  H<M>UZ"
              "\n"
              " *  This commodity is rolling today to the next contract.\n");
}

TEST_F(RollReportText, NoNoteWhenNothingRollsToday) {
    lines[0].status.rolling_today = false;
    const std::string show = rollshow_text(lines);
    const std::string print = rollprnt_text(lines, Date{2021, 5, 25});
    EXPECT_EQ(show.find('*'), std::string::npos);
    EXPECT_EQ(print.find('*'), std::string::npos);
    EXPECT_TRUE(show.ends_with("H<M>UZ\n"));
    EXPECT_TRUE(print.ends_with("H<M>UZ\n"));
}

}  // namespace
}  // namespace qv::roll
