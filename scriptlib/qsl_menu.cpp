// The menus of a menu file for qsl: loaded through the library's menu entry
// points, flattened into rows (popups as headings, their items below them),
// listed or drawn on the terminal with the suite's console, which reads keys
// raw and gives the terminal back as it found it on every way out.
#include "qsl_menu.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <unistd.h>

#include "common/platform/console.h"

namespace qsl_host {
namespace {

constexpr int last_menu_command = 0xFFFF;
constexpr int screen_rows = 25;
constexpr int shown_rows = 19;  // rows of menus between the heading and the help line

int g_posted_command = -1;

struct Row {
    int depth = 0;
    int kind = QSL_MENU_ENTRY_ITEM;
    std::string title;
    std::string hot_key;  // in words
    int command = 0;
};

// One loaded menu file and the records the host keeps for it.
class LoadedMenus {
public:
    LoadedMenus(QslHandle instance, const std::string& file) : instance_(instance), file_(file) {}
    ~LoadedMenus() { destroy(); }
    LoadedMenus(const LoadedMenus&) = delete;
    LoadedMenus& operator=(const LoadedMenus&) = delete;

    bool load() {
        destroy();
        record_.assign(QSL_MENU_RECORD_SIZE, 0);
        hot_keys_.assign(QSL_HOT_KEY_RECORD_SIZE, 0);
        std::snprintf(reinterpret_cast<char*>(record_.data()), QSL_MENU_NAME_MAX, "%s", file_.c_str());
        menu_ = LoadStandardMenu(instance_, 0, first_menu_command, last_menu_command, uintptr_t(record_.data()),
                                 uintptr_t(file_.c_str()), uintptr_t(hot_keys_.data()), QSL_MENU_TARGET_BAR);
        return menu_ != 0;
    }

    std::vector<Row> rows() const {
        std::vector<Row> out;
        add_rows(menu_, 0, out);
        return out;
    }

    // The command a key message stands for, or -1.
    int hot_key_command(uintptr_t message, uintptr_t key) {
        g_posted_command = -1;
        if (!HotKeyCheck(instance_, 0, message, key, uintptr_t(hot_keys_.data()))) return -1;
        return g_posted_command;
    }

    // Runs the item's code; a menu file changed since it was loaded is loaded
    // again and the item looked up anew. The exit status of the run.
    int run(int command) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            QslHandle code = ParseStandardMenu(instance_, 0, uintptr_t(command - first_menu_command), 0, 0, 0,
                                               uintptr_t(record_.data()), uintptr_t(file_.c_str()));
            if (code == QSL_MENU_CHANGED) {
                if (!load()) return 1;
                continue;
            }
            if (code == 0) return 1;
            const int ran = ProcessDaBatBuffer(0, instance_, code, nullptr, 0);
            QslGlobalFree(code);
            const int last_error = DLLServices(instance_, 5, nullptr, nullptr, 0, 0);
            return ran && (last_error == 0 || last_error == QSL_EXIT_EXECUTED) ? 0 : 1;
        }
        return 1;
    }

private:
    void destroy() {
        if (menu_) QslDestroyMenu(menu_);
        menu_ = 0;
    }

    static void add_rows(QslHandle menu, int depth, std::vector<Row>& out) {
        const int count = QslMenuEntryCount(menu);
        for (int i = 0; i < count; ++i) {
            QslMenuEntry entry{};
            if (!QslGetMenuEntry(menu, i, &entry)) continue;
            const std::string_view text = entry.text;
            const size_t tab = text.find('\t');
            Row row{depth, entry.kind, std::string(text.substr(0, tab)),
                    tab == std::string_view::npos ? "" : std::string(text.substr(tab + 1)), entry.command};
            out.push_back(row);
            if (entry.kind == QSL_MENU_ENTRY_POPUP) add_rows(entry.popup, depth + 1, out);
        }
    }

    QslHandle instance_;
    std::string file_;
    std::vector<unsigned char> record_;
    std::vector<unsigned char> hot_keys_;
    QslHandle menu_ = 0;
};

// Without a terminal: one line per entry, indented by depth; an item shows
// its identifier and hot key.
void list_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        std::string line(size_t(row.depth) * 2, ' ');
        if (row.kind == QSL_MENU_ENTRY_SEPARATOR) line += "----";
        else if (row.kind == QSL_MENU_ENTRY_POPUP) line += row.title;
        else line += std::to_string(row.command) + "  " + row.title + (row.hot_key.empty() ? "" : "  " + row.hot_key);
        std::printf("%s\n", line.c_str());
    }
}

// ---- the terminal menu ----------------------------------------------------

// A key of the terminal as the library's hot keys see it.
struct Key {
    enum Kind { character, virtual_key, up, down, enter, escape, none } kind = none;
    unsigned code = 0;  // with the modifier bits held
};

constexpr unsigned vk_tab = 0x09;

// Escape sequences of the keys without a character.
unsigned sequence_key(const std::string& sequence) {
    static const struct {
        const char* sequence;
        unsigned vk;
    } keys[] = {
        {"[H", 0x24},   {"OH", 0x24},   {"[1~", 0x24},  {"[F", 0x23},   {"OF", 0x23},   {"[4~", 0x23},
        {"[5~", 0x21},  {"[6~", 0x22},  {"[2~", 0x2D},  {"[3~", 0x2E},  {"[D", 0x25},   {"[C", 0x27},
        {"OP", 0x70},   {"OQ", 0x71},   {"OR", 0x72},   {"OS", 0x73},   {"[11~", 0x70}, {"[12~", 0x71},
        {"[13~", 0x72}, {"[14~", 0x73}, {"[15~", 0x74}, {"[17~", 0x75}, {"[18~", 0x76}, {"[19~", 0x77},
        {"[20~", 0x78}, {"[21~", 0x79}, {"[23~", 0x7A}, {"[24~", 0x7B},
    };
    for (const auto& key : keys)
        if (sequence == key.sequence) return key.vk;
    return 0;
}

// Esc alone, or the start of a sequence: the rest of a sequence comes at once.
bool more_follows(qv::Console& console) {
    for (int waited = 0; waited < 5; ++waited) {
        if (console.key_waiting()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

Key read_terminal_key(qv::Console& console) {
    const int first = console.read_key();
    if (first == '\r') return {Key::enter};
    if (first == 27) {
        if (!more_follows(console)) return {Key::escape};
        const int second = console.read_key();
        if (second != '[' && second != 'O') {
            // Alt and a key: the key's own code, as a key press.
            const unsigned upper = unsigned(std::toupper(second & 0xFF));
            return {Key::virtual_key, upper | QSL_HOT_KEY_ALT};
        }
        std::string sequence(1, char(second));
        for (int length = 0; length < 6; ++length) {
            const int next = console.read_key();
            sequence += char(next);
            if (next >= 0x40 && next <= 0x7E) break;
        }
        if (sequence == "[A" || sequence == "OA") return {Key::up};
        if (sequence == "[B" || sequence == "OB") return {Key::down};
        const unsigned vk = sequence_key(sequence);
        return vk ? Key{Key::virtual_key, vk} : Key{};
    }
    if (first == '\t') return {Key::virtual_key, vk_tab};
    if (first == 127) return {Key::character, 0x08};
    // Control characters other than the ones with keys of their own are Ctrl
    // and a letter; a capital letter comes with Shift.
    if (first >= 1 && first <= 26 && first != 8 && first != 10) return {Key::character, unsigned(first) | QSL_HOT_KEY_CTRL};
    if (first >= 'A' && first <= 'Z') return {Key::character, unsigned(first) | QSL_HOT_KEY_SHIFT};
    return {Key::character, unsigned(first & 0xFF)};
}

class TerminalMenu {
public:
    TerminalMenu(LoadedMenus& menus, const std::string& file, qv::Console& console)
        : menus_(menus), file_(file), console_(console) {}

    int run() {
        rows_ = menus_.rows();
        select(0, 1);
        for (;;) {
            draw();
            const Key key = read_terminal_key(console_);
            if (key.kind == Key::escape) break;
            if (key.kind == Key::up || key.kind == Key::down) {
                select(selected_ + (key.kind == Key::up ? -1 : 1), key.kind == Key::up ? -1 : 1);
                typed_ = 0;
                continue;
            }
            if (key.kind == Key::enter) {
                if (selected_ >= 0 && size_t(selected_) < rows_.size()) run_item(rows_[size_t(selected_)]);
                continue;
            }
            if (key.kind == Key::none) continue;
            const int command =
                menus_.hot_key_command(key.kind == Key::virtual_key ? QSL_WM_KEYDOWN : QSL_WM_CHAR, key.code);
            if (command >= 0) {
                run_item(row_of(command));
            } else if (key.kind == Key::character && key.code >= '0' && key.code <= '9') {
                choose_by_number(int(key.code - '0'));
            }
        }
        console_.clear_screen();
        console_.restore_terminal();
        return 0;
    }

private:
    bool is_item(int index) const {
        return index >= 0 && size_t(index) < rows_.size() && rows_[size_t(index)].kind == QSL_MENU_ENTRY_ITEM;
    }

    // Moves to the nearest item in the direction, staying put at either end.
    void select(int from, int step) {
        for (int i = from; i >= 0 && size_t(i) < rows_.size(); i += step) {
            if (is_item(i)) {
                selected_ = i;
                return;
            }
        }
        if (!is_item(selected_)) selected_ = -1;
    }

    // Items are numbered from 1 in the order shown; digits typed one after
    // another make one number.
    void choose_by_number(int digit) {
        const int wanted = typed_ * 10 + digit;
        typed_ = item_row(wanted) >= 0 ? wanted : digit;
        if (item_row(typed_) >= 0) selected_ = item_row(typed_);
    }

    int item_row(int number) const {
        for (int i = 0, n = 0; size_t(i) < rows_.size(); ++i)
            if (is_item(i) && ++n == number) return i;
        return -1;
    }

    Row row_of(int command) const {
        for (const Row& row : rows_)
            if (row.kind == QSL_MENU_ENTRY_ITEM && row.command == command) return row;
        return Row{0, QSL_MENU_ENTRY_ITEM, "(hidden item)", "", command};
    }

    void draw() {
        console_.hide_cursor();
        console_.clear_screen();
        console_.go_to(1, 1);
        console_.high_intensity();
        console_.write(" Menu " + file_);
        console_.write("\x1b[0m");
        if (selected_ >= top_ + shown_rows) top_ = selected_ - shown_rows + 1;
        if (selected_ >= 0 && selected_ < top_) top_ = selected_;
        for (int i = top_, number = count_items_before(top_); size_t(i) < rows_.size() && i < top_ + shown_rows; ++i) {
            const Row& row = rows_[size_t(i)];
            std::string line = i == selected_ ? " > " : "   ";
            line += std::string(size_t(row.depth) * 2, ' ');
            if (row.kind == QSL_MENU_ENTRY_ITEM) {
                char number_text[16];
                std::snprintf(number_text, sizeof number_text, "%2d. ", ++number);
                line += number_text + row.title;
                if (!row.hot_key.empty()) line += std::string(std::max<size_t>(2, 44 - line.size()), ' ') + row.hot_key;
            } else {
                line += row.kind == QSL_MENU_ENTRY_SEPARATOR ? "----" : row.title;
            }
            console_.go_to(1, i - top_ + 3);
            console_.write(line.substr(0, 79));
        }
        console_.go_to(1, screen_rows - 1);
        console_.write(" Up/Down or number: choose   Enter: run   Esc: leave   hot keys run their items");
        console_.go_to(1, screen_rows);
        console_.write(status_.substr(0, 79));
    }

    int count_items_before(int row) const {
        int n = 0;
        for (int i = 0; i < row; ++i) n += is_item(i) ? 1 : 0;
        return n;
    }

    // The item's code runs on the plain terminal, with Ctrl+C asking the
    // script to stop as it does for a script run by qsl.
    void run_item(const Row& row) {
        console_.clear_screen();
        console_.go_to(1, 1);
        console_.restore_terminal();
        std::printf("%s\n", row.title.c_str());
        std::fflush(stdout);
        struct sigaction menu_handler {}, script_handler {};
        script_handler.sa_handler = [](int) { QslRequestBreak(); };
        sigaction(SIGINT, &script_handler, &menu_handler);
        const int status = menus_.run(row.command);
        sigaction(SIGINT, &menu_handler, nullptr);
        status_ = " " + row.title + (status == 0 ? ": ended normally" : ": stopped");
        std::printf("\n-- %s; press a key to return to the menu --\n", status_.c_str() + 1);
        std::fflush(stdout);
        console_.read_key();
        rows_ = menus_.rows();  // a changed file was loaded again
        if (!is_item(selected_)) select(0, 1);
    }

    LoadedMenus& menus_;
    std::string file_;
    qv::Console& console_;
    std::vector<Row> rows_;
    int selected_ = -1;
    int top_ = 0;
    int typed_ = 0;
    std::string status_;
};

}  // namespace

void remember_posted_command(void*, QslHandle, int command) { g_posted_command = command; }

int run_menu_file(QslHandle instance, const std::string& file, const std::string& item) {
    LoadedMenus menus(instance, file);
    if (!menus.load()) return 1;
    if (!item.empty()) {
        char* end = nullptr;
        const long command = std::strtol(item.c_str(), &end, 10);
        if (*end || command < first_menu_command || command > last_menu_command) {
            std::fprintf(stderr, "qsl: %s is not an item identifier of the menu (%d onwards)\n", item.c_str(),
                         first_menu_command);
            return 1;
        }
        return menus.run(int(command));
    }
    qv::Console& console = qv::console();
    if (!console.is_terminal() || !isatty(STDIN_FILENO)) {
        list_rows(menus.rows());
        return 0;
    }
    struct Restore {
        qv::Console& console;
        ~Restore() { console.restore_terminal(); }
    } restore{console};
    return TerminalMenu(menus, file, console).run();
}

}  // namespace qsl_host
