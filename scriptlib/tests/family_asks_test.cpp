// The ask, message, item and text boxes, answered through the dialog
// interface as qsl's --answers answers them.
#include <gtest/gtest.h>

#include <string>

#include "dialog_answers.h"
#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::DialogAnswers;
using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

struct AskCase {
    const char* expression;
    const char* answer;  // "" presses the default button
    const char* value;   // x afterwards, or the error number that stopped the run
};

TEST(AskBoxes, AnswersGiveTheirResults) {
    TempFolder folder;
    folder.write("lines.txt", "pear\napple\nplum\n");
    const AskCase cases[] = {
        {"message(\"Title\", \"Text\")", "", "1"},
        {"pause(\"Title\", \"Text\")", "OK", "1"},
        {"pause(\"Title\", \"Text\")", "Cancel", "9999"},
        {"display(2, \"Title\", \"Text\")", "", "1"},
        {"askyesno(\"Title\", \"Go on?\")", "", "1"},
        {"askyesno(\"Title\", \"Go on?\")", "No", "0"},
        {"askyesno(\"Title\", \"Go on?\")", "Cancel", "9999"},
        {"askline(\"Title\", \"Name?\", \"nobody\")", "", "nobody"},
        {"askline(\"Title\", \"Name?\", \"nobody\")", "OK\tline=Ann Lee", "Ann Lee"},
        {"askpassword(\"Title\", \"Secret?\")", "OK\tline=s3cret", "s3cret"},
        {"itemselect(\"Pick\", \"a b c\", \" \")", "OK\titems=b", "b"},
        {"itemselect(\"Pick\", \"a b c\", \" \")", "OK\titems=a|c", "a c"},
        {"itemselect(\"Pick\", \"a b c\", \" \")", "Cancel", "9999"},
        {"textselect(\"Pick\", \"a,b,c\", \",\")", "OK\titems=a|c", "a"},
        {"askitemlist(\"Pick\", \"b|a|c\", \"|\", @sorted, @multiple)", "OK\titems=a|c", "a|c"},
        {"askitemlist(\"Pick\", \"b|a\", \"|\", 5, @single)", "", "3366"},
        {"textbox(\"Lines\", \"lines.txt\")", "OK\titems=plum", "plum"},
        {"textbox(\"Lines\", \"missing.txt\")", "", "3367"},
        {"askfiletext(\"Lines\", \"lines.txt\", @sorted, @multiple)", "OK\titems=apple|pear", "apple\tpear"},
        {"askfilename(\"File\", \"\", \"Text|*.txt\", \"new.txt\", 0)", "", "new.txt"},
        {"askfilename(\"File\", \"\", \"Text|*.txt\", \"\", 1)", "OK\titems=lines.txt", "lines.txt"},
        {"askfilename(\"File\", \"\", \"Text|*.txt\", \"\", 1)", "", "1337"},
    };
    for (const AskCase& c : cases) {
        ScriptHost host(16384);
        DialogAnswers answers;
        answers.lines = {c.answer};
        int error = host.run(std::string("x = ") + c.expression + "\n");
        std::string got = error ? std::to_string(error) : host.var("x");
        // A file's full name ends with the name the case expects.
        if (got.size() > std::string(c.value).size() && got.find('/') != std::string::npos)
            got = got.substr(got.size() - std::string(c.value).size());
        EXPECT_EQ(got, c.value) << c.expression << " answered " << c.answer;
    }
}

TEST(AskBoxes, TextAndButtonsOfTheForms) {
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"", "Stop", ""};
    ASSERT_EQ(host.run("message(\"Title\", \"one%@crlf%two\")\nbuttonnames(\"&Go\", \"&Stop\")\n"
                       "a = askyesno(\"Q\", \"Go?\")\nb = askyesno(\"Q\", \"Go?\")\ndisplay(3, \"T\", \"x\")\n"),
              0);
    EXPECT_EQ(host.var("a"), "0");  // the renamed No button
    EXPECT_EQ(host.var("b"), "1");  // the names serve one box only
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[0].caption, "Title");
    EXPECT_EQ(answers.shown[0].controls[0].text, "one\r\ntwo");
    EXPECT_EQ(answers.shown[1].controls[1].text, "&Go");
    EXPECT_EQ(answers.shown[2].controls[1].text, "&Yes");
    EXPECT_EQ(answers.shown[3].timeout_ms, 3000);
}

TEST(AskBoxes, AskDirectoryWalksIntoFolders) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path / "data" / "inner");
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"OK\titems=data", "OK\titems=inner", ""};
    ASSERT_EQ(host.run("x = askdirectory(\"Where?\", \"\", \"\", \"\", 0)\n"), 0);
    EXPECT_EQ(host.var("x"), (std::filesystem::canonical(folder.path) / "data" / "inner").string() + "/");
    EXPECT_EQ(answers.shown[0].controls[2].items, (std::vector<std::string>{"..", "data"}));
}

}  // namespace

namespace {

TEST(AskBoxes, MoreThan101ChosenItemsAreTooMany) {
    for (int count : {101, 102}) {
        std::string chosen = "OK\titems=";
        for (int i = 1; i <= count; ++i) chosen += (i > 1 ? "|" : "") + std::to_string(i);
        ScriptHost host(65536);
        DialogAnswers answers;
        answers.lines = {chosen};
        std::string script = "list = \"\"\nfor i = 1 to " + std::to_string(count) +
                             "\nlist = strcat(list, i, \" \")\nnext\nx = itemselect(\"Pick\", list, \" \")\n";
        EXPECT_EQ(host.run(script), count > 101 ? 1336 : 0) << count;
    }
}

}  // namespace
