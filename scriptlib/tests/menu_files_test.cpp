// Menu files: their structure rules and messages, the menus, identifiers,
// hot keys and help texts they give, and the code of a chosen item.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "scriptlib/hot_keys.h"
#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

constexpr int first_id = 1000;

uint16_t get16(const std::vector<unsigned char>& bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

// One loaded menu file: its records as a host keeps them.
struct LoadedMenu {
    ScriptHost& host;
    std::vector<unsigned char> record = std::vector<unsigned char>(QSL_MENU_RECORD_SIZE);
    std::vector<unsigned char> hot_keys = std::vector<unsigned char>(QSL_HOT_KEY_RECORD_SIZE);
    QslHandle menu = 0;

    LoadedMenu(ScriptHost& h, const std::string& file, uintptr_t target = QSL_MENU_TARGET_BAR, int limit = 1999)
        : host(h) {
        std::memcpy(record.data(), file.c_str(), file.size());
        menu = LoadStandardMenu(host.instance, 0, first_id, uintptr_t(limit), uintptr_t(record.data()),
                                uintptr_t("Menus"), uintptr_t(hot_keys.data()), target);
    }
    ~LoadedMenu() {
        if (menu) QslDestroyMenu(menu);
    }
    QslMenuEntry entry(QslHandle in, int position) const {
        QslMenuEntry e{};
        EXPECT_EQ(QslGetMenuEntry(in, position, &e), 1) << position;
        return e;
    }
    // The code of the item (mode 0), or "<0>" / "<changed>".
    std::string code(int item, int mode = 0, int other = 0) const {
        QslHandle block = ParseStandardMenu(host.instance, 0, uintptr_t(item), uintptr_t(mode), uintptr_t(other), 0,
                                            uintptr_t(record.data()), uintptr_t("Menus"));
        if (block == 0) return "<0>";
        if (block == QSL_MENU_CHANGED) return "<changed>";
        std::string text = static_cast<const char*>(QslGlobalLock(block));
        QslGlobalUnlock(block);
        QslGlobalFree(block);
        return text;
    }
    std::string help(uintptr_t word, uintptr_t in_menu, int* result, uintptr_t system = 0) const {
        char text[128] = "untouched";
        *result = MenuSelectProcessing(host.instance, 0, word, in_menu, first_id, 1999, uintptr_t(text), sizeof text,
                                       uintptr_t(record.data()), system);
        return text;
    }
};

// The first number of the last box, or 0 when none was shown.
int shown_message(const ScriptHost& host) { return host.boxes.empty() ? 0 : std::atoi(host.boxes.back().text.c_str()); }

TEST(MenuFiles, StructureRulesNameTheMessageOfTheLineThatBreaksThem) {
    TempFolder folder;
    ScriptHost host;
    const struct {
        std::string text;
        int message;
    } cases[] = {
        {"File\n Open\n    a = 1\n", 0},
        {"    pre = 1\n; comment\nFile\n\tx = 1\n", 0},  // code before the first title
        {" Open\n    a = 1\n", 512},
        {"File\nEdit\n    a = 1\n", 514},
        {"File\n Open\n   Deep\n    a = 1\n", 519},
        {"File\n Sub\n  Subsub\n Back\n    a = 1\n", 521},
        {"A\n B\n  C\n   D\n E\n", 580},
        {"File\n    a = 1\n Open\n", 515},
        {"File\n Open\n    a = 1\n  Deeper\n", 520},
        {"A\n B\n  C\n    a = 1\n   D\n", 579},
        {"File\n Open\n", 527},
        {"; only a comment\n", 527},
        {"File\n    a = \"" + std::string(260, 'x') + "\"\n", 214},
    };
    for (const auto& c : cases) {
        host.boxes.clear();
        folder.write("m.mnu", c.text);
        LoadedMenu loaded(host, "m.mnu");
        EXPECT_EQ(loaded.menu != 0, c.message == 0) << c.text;
        EXPECT_EQ(shown_message(host), c.message) << c.text;
        if (c.message) {
            EXPECT_EQ(host.boxes.back().title, "Menus");
        }
    }
}

TEST(MenuFiles, TitlesBecomePopupsItemsSeparatorsAndColumns) {
    TempFolder folder;
    ScriptHost host;
    folder.write("m.mnu",
                 "File ; the file menu\r\n"
                 " Open\\^O ; opens a file\r\n"
                 "    a = 1\r\n"
                 "  ' a comment inside the code\r\n"
                 " _Export\r\n"
                 "  |To text\r\n"
                 "\tb = 2\r\n"
                 " @Secret\\{F2}\r\n"
                 "    c = 3\r\n"
                 "|Quit\\!X\r\n"
                 "    exit\r\n");
    LoadedMenu loaded(host, "m.mnu");
    ASSERT_NE(loaded.menu, 0u) << (host.boxes.empty() ? "" : host.boxes.back().text);
    ASSERT_EQ(QslMenuEntryCount(loaded.menu), 2);
    QslMenuEntry file = loaded.entry(loaded.menu, 0), quit = loaded.entry(loaded.menu, 1);
    EXPECT_EQ(file.kind, QSL_MENU_ENTRY_POPUP);
    EXPECT_STREQ(file.text, "File");
    EXPECT_EQ(quit.kind, QSL_MENU_ENTRY_ITEM);
    EXPECT_STREQ(quit.text, "Quit\tAlt+X");
    EXPECT_EQ(quit.command, 1003);  // the hidden item has its identifier too
    EXPECT_EQ(quit.new_column, 1);
    ASSERT_EQ(QslMenuEntryCount(file.popup), 3);  // Open, a separator, Export
    QslMenuEntry open = loaded.entry(file.popup, 0), export_ = loaded.entry(file.popup, 2);
    EXPECT_STREQ(open.text, "Open\tCtrl+O");
    EXPECT_EQ(open.command, 1000);
    EXPECT_EQ(loaded.entry(file.popup, 1).kind, QSL_MENU_ENTRY_SEPARATOR);
    EXPECT_EQ(export_.kind, QSL_MENU_ENTRY_POPUP);
    QslMenuEntry to_text = loaded.entry(export_.popup, 0);
    EXPECT_STREQ(to_text.text, "To text");
    EXPECT_EQ(to_text.command, 1001);
    EXPECT_EQ(to_text.new_column, 1);  // every level honours "|" in a menu bar

    // The hot-key record, byte for byte: count, reserved, {code, command}.
    const std::vector<unsigned char>& keys = loaded.hot_keys;
    EXPECT_EQ(get16(keys, 0), 3);
    EXPECT_EQ(get16(keys, 2), 0);
    const uint16_t expected[][2] = {{0x404F, 1000}, {0x1071, 1002}, {0x3058, 1003}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(get16(keys, size_t(4 + 4 * i)), expected[i][0]) << i;
        EXPECT_EQ(get16(keys, size_t(6 + 4 * i)), expected[i][1]) << i;
    }
    // The menu record: the full path, the file's DOS date and time, the set.
    const std::string full = (std::filesystem::canonical(folder.path) / "m.mnu").string();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(loaded.record.data())), full);
    EXPECT_NE(get16(loaded.record, QSL_MENU_DATE_AT), 0);
    EXPECT_EQ(get16(loaded.record, QSL_MENU_SET_AT), 0);

    // Help texts: the item's description, the popup's, the menu's own texts.
    int result = 0;
    EXPECT_EQ(loaded.help(1000, loaded.menu, &result), "opens a file");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(loaded.help(1003, loaded.menu, &result), "Quit\tAlt+X");
    EXPECT_EQ(result, 4);
    EXPECT_EQ(loaded.help(uintptr_t(QSL_MF_POPUP) << 16 | 0, loaded.menu, &result), "the file menu");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(loaded.help(uintptr_t(QSL_MF_POPUP) << 16 | 2, file.popup, &result), "Export");
    EXPECT_EQ(result, 3);
    EXPECT_EQ(loaded.help(2500, loaded.menu, &result), "");
    EXPECT_EQ(result, 5);
    EXPECT_EQ(loaded.help(0xF060, loaded.menu, &result, 1), "Close the window");
    EXPECT_EQ(result, 2);
}

TEST(MenuFiles, TheChosenItemsCodeLinesComeBackWithoutComments) {
    TempFolder folder;
    ScriptHost host;
    folder.write("m.mnu",
                 "    prologue = 1\n"
                 "File\n"
                 " Open\n"
                 "    a = 1\n"
                 "\n"
                 "    ; a comment\n"
                 "  ' another\n"
                 "\t  b = a + 1\n"
                 " Save\n"
                 "    c = 3\n");
    LoadedMenu loaded(host, "m.mnu");
    ASSERT_NE(loaded.menu, 0u);
    EXPECT_EQ(loaded.code(0), "    a = 1\n\t  b = a + 1\n");
    EXPECT_EQ(loaded.code(1), "    c = 3\n");
    EXPECT_EQ(loaded.code(0, 1, 2), "    c = 3\n");  // every title counts: File, Open, Save
    host.boxes.clear();
    EXPECT_EQ(loaded.code(0, 1, 0), "<0>");  // a popup has no code
    EXPECT_EQ(loaded.code(5), "<0>");
    EXPECT_EQ(shown_message(host), 527);

    // The code runs as a script; param0 was set to 0 for it.
    host.run("param0 = 7\n");
    std::string code = loaded.code(0);
    EXPECT_EQ(host.var("param0"), "0");
    EXPECT_EQ(host.run(code), 0);
    EXPECT_EQ(host.var("b"), "2");
}

TEST(MenuFiles, ATouchedFileIsReloadedAfterMessage528) {
    TempFolder folder;
    ScriptHost host;
    folder.write("m.mnu", "Run\n    a = 1\n");
    LoadedMenu loaded(host, "m.mnu");
    ASSERT_NE(loaded.menu, 0u);
    const auto path = folder.path / "m.mnu";
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::hours(1));
    host.boxes.clear();
    EXPECT_EQ(loaded.code(0), "<changed>");
    EXPECT_EQ(shown_message(host), 528);
    LoadedMenu reloaded(host, "m.mnu");
    EXPECT_EQ(reloaded.code(0), "    a = 1\n");
    std::filesystem::remove(path);
    EXPECT_EQ(reloaded.code(0), "<0>");
    EXPECT_EQ(shown_message(host), 522);
}

TEST(MenuFiles, The101stHotKeyIsLeftOutButItsItemWorks) {
    TempFolder folder;
    ScriptHost host;
    std::string text;
    for (int i = 1; i <= 101; ++i) text += "Item " + std::to_string(i) + "\\^{F" + std::to_string(i % 16 + 1) + "}\n    n = " + std::to_string(i) + "\n";
    folder.write("m.mnu", text);
    LoadedMenu loaded(host, "m.mnu");
    ASSERT_NE(loaded.menu, 0u);
    EXPECT_EQ(get16(loaded.hot_keys, 0), 100);
    EXPECT_EQ(get16(loaded.hot_keys, 4 + 4 * 99 + 2), 1099);
    EXPECT_EQ(loaded.code(100), "    n = 101\n");
    EXPECT_TRUE(host.boxes.empty());
}

TEST(MenuFiles, FilesThatCannotBeMenusAreRefusedWithTheirMessage) {
    TempFolder folder;
    ScriptHost host;
    folder.write("protected.mnu", std::string("\x02") + std::string(34, 'P') + "\nRun\n    a = 1\n");
    folder.write("three.mnu", "A\n    a = 1\nB\n    b = 1\nC\n    c = 1\n");
    std::string wide = "\xFF\xFE";
    for (char ch : std::string("Run\n    a = 1\n")) wide += std::string{ch, '\0'};
    folder.write("wide.mnu", wide);
    const struct {
        const char* file;
        int limit;
        int message;
    } cases[] = {
        {"protected.mnu", 1999, 211},
        {"missing.mnu", 1999, 504},
        {"three.mnu", 1001, 599},  // three identifiers from 1000 pass 1001
        {"three.mnu", 1002, 0},
        {"wide.mnu", 1999, 0},
    };
    for (const auto& c : cases) {
        host.boxes.clear();
        LoadedMenu loaded(host, c.file, QSL_MENU_TARGET_POPUP, c.limit);
        EXPECT_EQ(loaded.menu != 0, c.message == 0) << c.file;
        EXPECT_EQ(shown_message(host), c.message) << c.file;
    }
}

// Items added to a host's own menu keep what it had.
TEST(MenuFiles, ItemsAreAddedToAGivenMenu) {
    TempFolder folder;
    ScriptHost host;
    folder.write("a.mnu", "First\n    a = 1\n");
    folder.write("b.mnu", "Second\n    b = 1\n");
    LoadedMenu a(host, "a.mnu", QSL_MENU_TARGET_POPUP);
    std::vector<unsigned char> record(QSL_MENU_RECORD_SIZE);
    std::memcpy(record.data(), "b.mnu", 5);
    EXPECT_EQ(LoadStandardMenu(host.instance, 0, 1500, 1999, uintptr_t(record.data()), 0, 0, a.menu), a.menu);
    ASSERT_EQ(QslMenuEntryCount(a.menu), 2);
    EXPECT_EQ(a.entry(a.menu, 1).command, 1500);
    EXPECT_EQ(LoadStandardMenu(host.instance, 0, 1500, 1999, uintptr_t(record.data()), 0, 0, 0x7777), 0u);
}

int g_posted = -1;
void remember_command(void*, QslHandle, int command) { g_posted = command; }

TEST(HotKeys, KeyMessagesFindTheirItemsCommand) {
    TempFolder folder;
    ScriptHost host;
    folder.write("m.mnu",
                 "Open\\^O\n    a\nExit\\!X\n    a\nHelp\\{F1}\n    a\nFind\\+F\n    a\n"
                 "One\\^1\n    a\nGo\\{ENTER}\n    a\nPlain\\p\n    a\n");
    LoadedMenu loaded(host, "m.mnu");
    ASSERT_NE(loaded.menu, 0u);
    QslInterfaces posting{};
    posting.post_command = remember_command;
    QslSetInterfaces(&posting);
    const struct {
        uintptr_t message, key;
        int command;  // -1: no match
    } cases[] = {
        {QSL_WM_CHAR, 0x0F | QSL_HOT_KEY_CTRL, 1000},   // Ctrl+O as the control character
        {QSL_WM_CHAR, 'o' | QSL_HOT_KEY_CTRL, 1000},
        {QSL_WM_CHAR, 'o', -1},
        {QSL_WM_KEYDOWN, 'X' | QSL_HOT_KEY_ALT, 1001},
        {QSL_WM_CHAR, 'x' | QSL_HOT_KEY_ALT, -1},
        {QSL_WM_KEYDOWN, 0x70, 1002},
        {QSL_WM_CHAR, 0x70, 1006},                 // the character "p", not F1
        {QSL_WM_CHAR, 'F' | QSL_HOT_KEY_SHIFT, 1003},
        {QSL_WM_CHAR, 'f', -1},
        {QSL_WM_KEYDOWN, '1' | QSL_HOT_KEY_CTRL, 1004},
        {QSL_WM_CHAR, '\r', 1005},
        {QSL_WM_CHAR, 'p', 1006},
        {QSL_WM_KEYDOWN, 0x11 | QSL_HOT_KEY_CTRL, -1},  // Ctrl alone
        {0x104, 'X' | QSL_HOT_KEY_ALT, -1},             // a message it does not know
    };
    for (const auto& c : cases) {
        g_posted = -1;
        EXPECT_EQ(HotKeyCheck(host.instance, 0, c.message, c.key, uintptr_t(loaded.hot_keys.data())), c.command >= 0)
            << std::hex << c.message << " " << c.key;
        EXPECT_EQ(g_posted, c.command) << std::hex << c.message << " " << c.key;
    }
}

TEST(HotKeys, TheHotKeyPartGivesCodeAndWords) {
    const struct {
        const char* part;
        uint16_t code;
        const char* words;
    } cases[] = {
        {"^O", 0x404F, "Ctrl+O"},   {"!{F4}", 0x3073, "Alt+{F4}"}, {"+^{del}", 0xD02E, "Shift+Ctrl+{del}"},
        {"^1", 0x5031, "Ctrl+1"},   {"{NUMPAD*}", 0x106A, "{NUMPAD*}"}, {"{F16}", 0x107F, "{F16}"},
        {"+", 0x002B, "+"},         {"{F17}", 0, "{F17}"},          {"^OX", 0, "Ctrl+OX"},
    };
    for (const auto& c : cases) {
        qsl::HotKey hot = qsl::parse_hot_key(c.part);
        EXPECT_EQ(hot.code, c.code) << c.part;
        EXPECT_EQ(hot.words, c.words) << c.part;
    }
}

}  // namespace
