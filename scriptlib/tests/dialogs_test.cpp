// Script-defined dialogs: their variables and control definitions, initial
// states, results, errors and Cancel, answered through the dialog interface.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog_answers.h"
#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::DialogAnswers;
using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

// The variables of dialog "d" with these control definitions.
std::string dialog_script(const std::vector<std::string>& controls, const std::string& name = "d") {
    std::string script = name + "Format = \"KVXDLGED,5.0\"\n" + name + "X = 10\n" + name + "Y = 10\n" + name +
                         "Width = 200\n" + name + "Height = 120\n" + name + "Caption = \"Choose\"\n" + name +
                         "NumControls = " + std::to_string(controls.size()) + "\n";
    for (size_t i = 0; i < controls.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", int(i) + 1);
        script += name + number + " = `" + controls[i] + "`\n";
    }
    return script;
}

TEST(ScriptDialogs, ControlsStartFromTheirVariablesAndWriteResultsBack) {
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"1\tchoice=3\tflags=1\tname=Bob"};
    std::string script = "choice = 0\nflags = 6\nname = \"Ann\"\n" +
                         dialog_script({"8,8,100,12,STATICTEXT,DEFAULT,\"Hello,  world\"",
                                        "8,20,44,10,RADIOBUTTON,choice,One,1",
                                        "8,30,44,10,RADIOBUTTON,choice,Two,2",
                                        "8,40,44,10,RADIOBUTTON,choice,Three,3",
                                        "8,60,44,10,CHECKBOX,flags,Bold,1",
                                        "8,70,44,10,CHECKBOX,flags,Italic,2",
                                        "8,80,100,12,EDITBOX,name,DEFAULT",
                                        "1,2,3,4,PUSHBUTTON",
                                        ",,,,PUSHBUTTON,,,0"}) +
                         "pressed = dialog(\"d\")\n";
    ASSERT_EQ(host.run(script), 0);
    ASSERT_EQ(answers.shown.size(), 1u);
    const auto& shown = answers.shown[0];
    EXPECT_EQ(shown.caption, "Choose");
    EXPECT_EQ(shown.controls[0].text, "Hello,  world");
    EXPECT_EQ(shown.controls[1].checked, 1);  // the variable at 0: the group's first
    EXPECT_EQ(shown.controls[2].checked + shown.controls[3].checked, 0);
    EXPECT_EQ(shown.controls[4].checked, 0);
    EXPECT_EQ(shown.controls[5].checked, 1);  // 6 has the bit of 2
    EXPECT_EQ(shown.controls[6].edit, "Ann");
    EXPECT_EQ(shown.controls[7].text, "&Ok");  // four fields and a type: the rest DEFAULT
    EXPECT_EQ(shown.controls[7].value, 1);
    EXPECT_EQ(shown.controls[8].text, "&Cancel");
    EXPECT_EQ(shown.focus, 6);  // the first edit box
    EXPECT_EQ(shown.default_button, 7);
    EXPECT_EQ(host.var("pressed"), "1");
    EXPECT_EQ(host.var("choice"), "3");
    EXPECT_EQ(host.var("flags"), "5");  // Bold set, Italic's bit cleared, 4 kept
    EXPECT_EQ(host.var("name"), "Bob");
}

TEST(ScriptDialogs, FieldsSplitAtCommasOutsideQuotes) {
    const struct {
        const char* definition;
        const char* text;
        int x, width;
    } cases[] = {
        {"20, 30, 50, 10, STATICTEXT, DEFAULT, \"a, b,  c\"", "a, b,  c", 20, 50},
        {"5,6,,,STATICTEXT,,\"\"", "", 5, 44},
        {"DEFAULT,6,7,8,statictext,, spaced out ", "spacedout", 8, 7},
    };
    for (const auto& c : cases) {
        ScriptHost host(16384);
        DialogAnswers answers;
        ASSERT_EQ(host.run(dialog_script({c.definition, "8,90,40,14,PUSHBUTTON,,OK,1"}) + "dialog(\"d\")\n"), 0)
            << c.definition;
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].controls[0].text, c.text) << c.definition;
        EXPECT_EQ(answers.shown[0].controls[0].x, c.x) << c.definition;
        EXPECT_EQ(answers.shown[0].controls[0].width, c.width) << c.definition;
    }
}

TEST(ScriptDialogs, DefinitionErrorsStopBeforeTheDialogIsShown) {
    const std::string ok = "8,90,40,14,PUSHBUTTON,,OK,1";
    const struct {
        std::string script;
        int error;
    } cases[] = {
        {dialog_script({ok}, "seventeenletters1") + "dialog(\"seventeenletters1\")\n", 3218},
        {"dX = 1\ndialog(\"d\")\n", 3219},
        {"dFormat = \"KVXDLGED,3.0\"\ndialog(\"d\")\n", 3220},
        {dialog_script({ok}) + "drop(dHeight)\ndialog(\"d\")\n", 3221},
        {dialog_script({ok}) + "dWidth = \"wide\"\ndialog(\"d\")\n", 3221},
        {dialog_script({ok}) + "dNumControls = 2\ndialog(\"d\")\n", 3222},
        {dialog_script({"8,8,40,10,SLIDER,v,Text"}) + "dialog(\"d\")\n", 3223},
        {dialog_script({"8,8,40,10"}) + "dialog(\"d\")\n", 3223},
        {dialog_script({"8,8,40,10,RADIOBUTTON,v,One,0"}) + "dialog(\"d\")\n", 3224},
        {dialog_script({"8,8,40,10,CHECKBOX,v,One"}) + "dialog(\"d\")\n", 3224},
        {dialog_script({"8,8,40,10,PUSHBUTTON,v,One,1,extra"}) + "dialog(\"d\")\n", 3225},
        {dialog_script({"8,8,40,10,STATICTEXT,v,One,1"}) + "dialog(\"d\")\n", 3225},
        {dialog_script({"8,8,40,10,EDITBOX,a23456789012345678901234567890x"}) + "dialog(\"d\")\n", 3055},
    };
    for (const auto& c : cases) {
        ScriptHost host(16384);
        DialogAnswers answers;
        EXPECT_EQ(host.run(c.script), c.error) << c.script;
        EXPECT_TRUE(answers.shown.empty()) << c.script;
    }
}

TEST(ScriptDialogs, CancelContinuesAtTheCancelLabel) {
    std::string script = "v = \"kept\"\n" +
                         dialog_script({"8,8,60,12,EDITBOX,v,DEFAULT", "8,90,40,14,PUSHBUTTON,,DEFAULT,1",
                                        "60,90,40,14,PUSHBUTTON,,DEFAULT,0"}) +
                         "x = dialog(\"d\")\nnever = 1\nexit\n:CANCEL\ncaught = 1\n";
    for (const char* answer : {"Cancel\tv=typed", "0"}) {
        ScriptHost host(16384);
        DialogAnswers answers;
        answers.lines = {answer};
        EXPECT_EQ(host.run(script), 0) << answer;
        EXPECT_EQ(host.var("caught"), "1") << answer;
        EXPECT_EQ(host.var("never"), "<none>") << answer;
        EXPECT_EQ(host.var("v"), "kept") << answer;  // Cancel writes nothing back
    }
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"Cancel"};
    EXPECT_EQ(host.run(dialog_script({"8,90,40,14,PUSHBUTTON,,DEFAULT,0"}) + "dialog(\"d\")\n"), QSL_USER_CANCEL);
}

TEST(ScriptDialogs, OwnButtonsReturnTheirValues) {
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"Retry", "7"};
    std::string script = dialog_script({"8,90,40,14,PUSHBUTTON,,&Retry,7", "60,90,40,14,PUSHBUTTON,,DEFAULT,1"}) +
                         "a = dialog(\"d\")\nb = dialog(\"d\")\n";
    ASSERT_EQ(host.run(script), 0);
    EXPECT_EQ(host.var("a"), "7");
    EXPECT_EQ(host.var("b"), "7");
    EXPECT_EQ(answers.shown[0].default_button, 0);  // the first push button has the focus
}

TEST(ScriptDialogs, ItemBoxesOfferTheVariablesItems) {
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"1\tfruit=pear", "1\tfruit=apple|plum", ""};
    std::string script =
        "list = \"apple%@tab%pear%@tab%plum\"\nfruit = list\n" +
        dialog_script({"8,8,80,40,ITEMBOX,fruit", "8,60,80,40,ITEMBOX,nothing", "8,90,40,14,PUSHBUTTON,,OK,1"}) +
        "dialog(\"d\")\none = fruit\nfruit = list\ndialog(\"d\")\ntwo = fruit\n"
        "intcontrol(33, 0, 0, 0, 0)\nfruit = list\ndialog(\"d\")\nnone = fruit\n";
    ASSERT_EQ(host.run(script), 0);
    EXPECT_EQ(host.var("one"), "pear");
    EXPECT_EQ(host.var("two"), "apple\tplum");
    EXPECT_EQ(host.var("none"), "");
    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[0].controls[0].items, (std::vector<std::string>{"apple", "pear", "plum"}));
    EXPECT_TRUE(answers.shown[0].controls[0].multiple);
    EXPECT_FALSE(answers.shown[2].controls[0].multiple);
    EXPECT_EQ(answers.shown[0].controls[1].items, (std::vector<std::string>{"Error:", "nothing", "not defined."}));
}

TEST(ScriptDialogs, FileListsShowTheMaskAndFollowWhatIsTyped) {
    TempFolder folder;
    folder.write("a.txt", "");
    folder.write("b.dat", "");
    folder.write("c.txt", "");
    ScriptHost host(16384);
    DialogAnswers answers;
    answers.lines = {"1\tpick=c.txt", "1\tpick=*.dat", "1\tpick=b.dat", "1"};
    std::string script = "pick = \"*.txt\"\n" +
                         dialog_script({"8,8,80,40,FILELISTBOX,pick", "8,90,40,14,PUSHBUTTON,,OK,1"}) +
                         "dialog(\"d\")\nfirst = pick\n" + "pick = \"*.txt\"\n" +
                         dialog_script({"8,8,80,40,FILELISTBOX,pick", "8,60,80,12,EDITBOX,pick",
                                        "8,90,40,14,PUSHBUTTON,,OK,1"}) +
                         "dialog(\"d\")\nsecond = pick\npick = \"\"\ndialog(\"d\")\nnone = pick\n";
    ASSERT_EQ(host.run(script), 0);
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(host.var("first"), here + "/c.txt");
    EXPECT_EQ(host.var("second"), here + "/b.dat");
    EXPECT_EQ(host.var("none"), "NOFILESELECTED");
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[0].controls[0].items, (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(answers.shown[0].controls[0].text, "Files");
    EXPECT_EQ(answers.shown[1].controls[1].edit, "*.txt");  // the linked edit box shows the mask
    EXPECT_EQ(answers.shown[2].controls[0].items, (std::vector<std::string>{"b.dat"}));
    EXPECT_EQ(answers.shown[3].controls[0].items.size(), 3u);  // empty: every file
}

TEST(ScriptDialogs, DialogBoxReadsTheVariablesFromAFile) {
    TempFolder folder;
    folder.write("ask.dlg", "; saved by the editor\nqFormat=KVXDLGED,4.0\nqX=1\nqY=2\nqWidth=100\nqHeight=50\n"
                            "qCaption=From a file\nqNumControls=2\nq01=8,8,60,12,EDITBOX,who,\"nobody, yet\"\n"
                            "q02=8,30,40,14,PUSHBUTTON,,DEFAULT,1\n");
    ScriptHost host(16384);
    DialogAnswers answers;
    ASSERT_EQ(host.run("x = dialogbox(\"ask.dlg\", \"q\")\n"), 0);
    EXPECT_EQ(host.var("x"), "1");
    EXPECT_EQ(host.var("who"), "nobody, yet");
    EXPECT_EQ(host.run("dialogbox(\"missing.dlg\", \"q\")\n"), 3367);
}

}  // namespace

namespace {

// qsl answers boxes and dialogs from its answers file, one line each, and
// writes the dialog's caption and labels where a box goes.
TEST(ScriptDialogs, QslAnswersFileFillsAndPresses) {
    TempFolder folder;
    folder.write("d.qsl", "choice = 0\n" +
                              dialog_script({"8,8,100,12,STATICTEXT,,\"Pick one, then go\"",
                                             "8,20,44,10,RADIOBUTTON,choice,One,1",
                                             "8,30,44,10,RADIOBUTTON,choice,Two,2", "8,40,80,12,EDITBOX,name",
                                             "8,90,40,14,PUSHBUTTON,,&Go,2", "60,90,40,14,PUSHBUTTON,,DEFAULT,0"}) +
                              "pressed = dialog(\"d\")\nsure = askyesno(\"Sure?\", \"Really?\")\n");
    folder.write("answers", "2\tchoice=2\tname=Zed Doe\nNo\n");
    std::string command = "cd " + folder.path.string() +
                          " && env -u DISPLAY QSL_REGISTRY=registry.ini " QSL_BIN_DIR "/qsl --vars --answers answers d.qsl 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    for (const char* line : {"Choose\nPick one, then go\n", "Sure?\nReally?\n", "pressed=2\n", "choice=2\n",
                             "name=Zed Doe\n", "sure=0\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in " << out;
}

}  // namespace
