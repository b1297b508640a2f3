// The terminal dialog back end: a text-mode form on the process console's
// terminal, in the terminal's alternate screen so that what was on the screen
// comes back. A character cell is 4 by 8 dialog units. Keys as on X11
// (dialog_session.h); the terminal gets its line mode and its screen back on
// every way out of the dialog, and the console restores it when a signal
// ends the process.
#include "scriptlib/dialog_back_ends.h"
#include "scriptlib/dialog_session.h"

#include "common/platform/console.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iterator>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace qsl {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int left = 3, top = 2;  // the frame's corner on the screen
constexpr char escape = 0x1b;
constexpr const char* reverse = "\x1b[7m";
constexpr const char* normal = "\x1b[0m";

std::string fitted(std::string text, int width) {
    width = std::max(width, 0);
    if (int(text.size()) > width) text.resize(size_t(width));
    return text + std::string(size_t(width - int(text.size())), ' ');
}

// The terminal's line mode, for a signal that ends the process while the
// dialog is shown (only async-signal-safe calls in the handler).
termios g_line_mode{};
volatile sig_atomic_t g_have_line_mode = 0;
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restore_and_end(int signal_number) {
    if (g_have_line_mode) tcsetattr(STDIN_FILENO, TCSANOW, &g_line_mode);
    static constexpr char leave[] = "\x1b[0m\x1b[?1049l";
    [[maybe_unused]] ssize_t ignored = ::write(STDOUT_FILENO, leave, sizeof leave - 1);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// The terminal's alternate screen and raw keys while the dialog is shown;
// the screen, the line mode and the host's signal handlers come back when
// it closes, and a signal that ends the process meanwhile restores the
// terminal first.
class TerminalScreen {
public:
    explicit TerminalScreen(qv::Console& console) : console_(console) {
        g_have_line_mode = tcgetattr(STDIN_FILENO, &g_line_mode) == 0;
        struct sigaction ending {};
        ending.sa_handler = restore_and_end;
        sigemptyset(&ending.sa_mask);
        for (size_t i = 0; i < std::size(ending_signals); ++i) sigaction(ending_signals[i], &ending, &saved_[i]);
        console_.write("\x1b[?1049h");
        console_.clear_screen();
    }
    ~TerminalScreen() {
        console_.write(normal);
        console_.write("\x1b[?1049l");
        console_.restore_terminal();
        for (size_t i = 0; i < std::size(ending_signals); ++i) sigaction(ending_signals[i], &saved_[i], nullptr);
        g_have_line_mode = 0;
    }
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

private:
    qv::Console& console_;
    struct sigaction saved_[std::size(ending_signals)] {};
};

class TerminalDialog {
public:
    TerminalDialog(qv::Console& console, QslDialog& dialog) : console_(console), dialog_(dialog), session_(dialog) {}
    int run();

private:
    int column(int units) const { return left + 1 + units / 4; }
    int row(int units) const { return top + 2 + units / 8; }
    void put(int x, int y, const std::string& text, bool highlighted = false);
    void draw();
    void draw_control(int index);
    int read_key(Clock::time_point deadline);

    qv::Console& console_;
    QslDialog& dialog_;
    DialogSession session_;
    BreakWatch breaks_;
};

void TerminalDialog::put(int x, int y, const std::string& text, bool highlighted) {
    console_.go_to(x, y);
    if (highlighted) console_.write(reverse);
    console_.write(text);
    if (highlighted) console_.write(normal);
}

void TerminalDialog::draw_control(int index) {
    const QslDialogControl& c = dialog_.controls[index];
    bool focused = session_.focus() == index;
    int x = column(c.x), y = row(c.y), width = std::max(c.width / 4, 1);
    std::string label;
    switch (c.type) {
        case QSL_CONTROL_STATIC: {
            std::string text = c.text ? c.text : "";
            int line = 0;
            for (size_t start = 0; start <= text.size();) {
                size_t end = text.find('\n', start);
                std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
                if (!part.empty() && part.back() == '\r') part.pop_back();
                put(x, y + line++, part);
                if (end == std::string::npos) break;
                start = end + 1;
            }
            break;
        }
        case QSL_CONTROL_EDIT:
        case QSL_CONTROL_PASSWORD: {
            std::string text = c.edit ? c.edit : "";
            if (c.type == QSL_CONTROL_PASSWORD) text.assign(text.size(), '*');
            if (int(text.size()) > width - 3) text = text.substr(text.size() - size_t(std::max(width - 3, 0)));
            put(x, y, "[" + fitted(text, width - 2) + "]", focused);
            break;
        }
        case QSL_CONTROL_RADIO:
        case QSL_CONTROL_CHECK: {
            std::string mark = c.type == QSL_CONTROL_RADIO ? (c.checked ? "(*) " : "( ) ") : (c.checked ? "[x] " : "[ ] ");
            put(x, y, mark + std::string(button_label(c.text, label)), focused);
            break;
        }
        case QSL_CONTROL_BUTTON: {
            std::string text(button_label(c.text, label));
            put(x, y, index == dialog_.default_button ? "<" + text + ">" : " " + text + " ", focused);
            break;
        }
        case QSL_CONTROL_LIST: {
            if (c.text && *c.text) put(x, y - 1, c.text);
            int rows = DialogSession::list_rows(c);
            for (int r = 0; r < rows; ++r) {
                int item = session_.top(index) + r;
                std::string text = item < c.item_count ? std::string(c.selected[item] ? "*" : " ") + c.items[item] : "";
                put(x, y + r, "|" + fitted(text, width - 2) + "|", focused && item == session_.cursor(index));
            }
            break;
        }
        default: break;
    }
}

void TerminalDialog::draw() {
    console_.clear_screen();
    int width = std::max(dialog_.width / 4, 10) + 2, height = std::max(dialog_.height / 8, 1) + 3;
    std::string caption = dialog_.caption ? dialog_.caption : "";
    put(left, top, "+" + fitted(" " + caption + " ", width - 2) + "+");
    for (int y = 1; y < height - 1; ++y) put(left, top + y, "|" + std::string(size_t(width - 2), ' ') + "|");
    put(left, top + height - 1, "+" + std::string(size_t(width - 2), '-') + "+");
    for (int i = 0; i < dialog_.count; ++i) draw_control(i);
    put(left, top + height, "Tab: next  Space: choose  Enter: " +
                                std::string(dialog_.default_button >= 0 ? "press" : "-") + "  Esc: cancel");
}

// The next key; -1 when the deadline passed, -2 at a break request. An escape sequence of the
// arrows or Shift+Tab arrives in one piece; an Escape alone does not.
int TerminalDialog::read_key(Clock::time_point deadline) {
    while (!console_.key_waiting()) {
        if (breaks_.requested()) return -2;
        if (dialog_.timeout_ms > 0 && Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return console_.read_key();
}

int TerminalDialog::run() {
    auto deadline = Clock::now() + std::chrono::milliseconds(dialog_.timeout_ms);
    for (;;) {
        draw();
        int key = read_key(deadline);
        if (key == -2) return dialog_broken;
        if (key < 0) return dialog_.default_button;
        int outcome = DialogSession::going_on;
        if (key == escape) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            if (!console_.key_waiting()) {
                outcome = session_.key(DialogKey::escape);
            } else {
                int second = console_.read_key();
                int third = (second == '[' || second == 'O') && console_.key_waiting() ? console_.read_key() : 0;
                if (third == 'A') outcome = session_.key(DialogKey::up);
                if (third == 'B') outcome = session_.key(DialogKey::down);
                if (third == 'Z') outcome = session_.key(DialogKey::back_tab);
            }
        } else if (key == '\t') {
            outcome = session_.key(DialogKey::tab);
        } else if (key == qv::key_enter || key == '\n') {
            outcome = session_.key(DialogKey::enter);
        } else if (key == ' ') {
            outcome = session_.key(DialogKey::space);
        } else if (key == 127 || key == '\b') {
            outcome = session_.key(DialogKey::backspace);
        } else {
            outcome = session_.key(DialogKey::character, char(key));
        }
        if (outcome != DialogSession::going_on) return outcome;
    }
}

}  // namespace

bool terminal_dialogs_available() { return qv::console().is_terminal() && isatty(STDIN_FILENO); }

int show_terminal_dialog(void*, QslDialog* dialog) {
    if (!dialog || !terminal_dialogs_available()) return -2;
    qv::Console& console = qv::console();
    TerminalScreen screen(console);
    TerminalDialog form(console, *dialog);
    return form.run();
}

}  // namespace qsl
