// The process console: the tools' 80 by 25 text screen drawn with ANSI escape
// sequences when standard output is a terminal, plain ordered lines otherwise;
// keys read raw from a terminal, or taken from piped standard input.

#include "common/platform/console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "common/platform/text.h"

namespace qv {

void Console::print(const char* fmt, ...) {
    std::va_list args;
    va_start(args, fmt);
    const std::string text = vformat(fmt, args);
    va_end(args);
    write(text);
}

void Console::draw(std::span<const ScreenText> texts) {
    for (const ScreenText& placed : texts) {
        go_to(placed.column, placed.row);
        if (placed.clears_line) clear_to_end_of_line();
        write(placed.text);
    }
}

namespace {

// The console colours 0 to 15 (blue, green, cyan, red, magenta, brown, grey and
// their bright forms from 8 on) in the order of the ANSI colour numbers.
int ansi_colour(int colour) {
    static constexpr int ansi_of[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return ansi_of[colour & 7];
}

// The keyboard's terminal settings to put back when a signal ends the process
// while keys are read raw (only async-signal-safe calls in the handler).
int raw_fd = -1;
termios line_mode{};
bool reset_screen_on_signal = false;
bool signals_watched = false;

void restore_terminal_and_die(int signal_number) {
    if (raw_fd >= 0) tcsetattr(raw_fd, TCSANOW, &line_mode);
    if (reset_screen_on_signal) {
        static constexpr char reset[] = "\x1b[0m\x1b[?25h";
        [[maybe_unused]] const ssize_t ignored = ::write(STDOUT_FILENO, reset, sizeof reset - 1);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// An interrupt, a hang-up or a kill leaves the terminal as it was found.
void watch_signals() {
    if (signals_watched) return;
    signals_watched = true;
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal_number, restore_terminal_and_die);
}

class DescriptorConsole final : public Console {
public:
    DescriptorConsole(int output, int input)
        : output_(output), input_(input), screen_(isatty(output) == 1), keyboard_(isatty(input) == 1) {}

    // A terminal is handed back to the shell with normal colours and a visible cursor.
    ~DescriptorConsole() override { restore_terminal(); }

    void write(std::string_view text) override {
        if (text.empty()) return;
        if (screen_) {
            emit(text);
        } else if (place_plain_text(text)) {
            emit_plain(text);
        }
    }

    void hide_cursor() override { control("\x1b[?25l"); }
    void high_intensity() override { control("\x1b[1m"); }
    void background(int colour) override {
        control(format("\x1b[%dm", (colour >= 8 ? 100 : 40) + ansi_colour(colour)).c_str());
    }

    // Without a terminal, a cleared screen or a new cursor position starts a new
    // line, so that texts placed on different rows come out as separate lines.
    void clear_screen() override {
        if (screen_) {
            control("\x1b[2J\x1b[H");
        } else {
            end_plain_line();
            after_go_to_ = false;
            fields_.clear();
        }
    }
    void go_to(int column, int row) override {
        if (screen_) {
            control(format("\x1b[%d;%dH", row, column).c_str());
        } else {
            end_plain_line();
            after_go_to_ = true;
            place_ = {column, row};
        }
    }
    void clear_to_end_of_line() override { control("\x1b[K"); }

    bool key_waiting() override {
        if (!keyboard_) return false;
        enter_raw_mode();
        pollfd input{input_, POLLIN, 0};
        return poll(&input, 1, 0) == 1 && (input.revents & POLLIN) != 0;
    }

    int read_key() override { return next_key(); }

    int read_key_echo() override {
        const int key = next_key();
        if (key == key_enter) {
            if (screen_) emit("\r");
        } else {
            const char shown = static_cast<char>(key);
            write(std::string_view(&shown, 1));
        }
        return key;
    }

    bool is_terminal() const override { return screen_; }

    // The terminal goes back to line mode whenever the console is flushed, which
    // the process layer does before another program runs in it or replaces this one.
    void flush() override { leave_raw_mode(); }

    void end_output() override {
        if (screen_ || !written_ || trailing_newlines_ > 0) return;
        emit("\n");
        trailing_newlines_ = 1;
        pending_newlines_ = 0;
    }

    void restore_terminal() override {
        leave_raw_mode();
        if (screen_ && drawn_) emit("\x1b[0m\x1b[?25h");
        drawn_ = false;
        end_output();
    }

private:
    // Written straight to the descriptor, unbuffered: a tool may hand its
    // process over to a batch file, which would drop anything still buffered.
    // Anything printed through the C library goes out first, to keep the order.
    void emit(std::string_view text) {
        std::fflush(stdout);
        raw_emit(text);
    }

    void raw_emit(std::string_view text) {
        while (!text.empty()) {
            const ssize_t written = ::write(output_, text.data(), text.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return;
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    void control(const char* sequence) {
        if (!screen_) return;
        if (!drawn_ && output_ == STDOUT_FILENO) {
            reset_screen_on_signal = true;
            watch_signals();
        }
        drawn_ = true;
        emit(sequence);
    }

    // Plain output: line ends are held back until a text follows them, and then
    // at most one blank line is let through, so that a cleared screen or a
    // screen's empty rows do not fill a log with blank lines. The lines before
    // the first text are left out altogether.
    void emit_plain(std::string_view text) {
        std::string out;
        for (const char c : text) {
            if (c == '\n') {
                ++pending_newlines_;
                continue;
            }
            if (pending_newlines_ > 0) {
                const int room = written_ ? 2 - trailing_newlines_ : 0;
                out.append(static_cast<std::size_t>(std::max(0, std::min(pending_newlines_, room))), '\n');
                pending_newlines_ = 0;
            }
            out += c;
            trailing_newlines_ = 0;
            written_ = true;
        }
        // A line end that ends a text ends its line at once: another program,
        // or the process's end, may come next.
        if (pending_newlines_ > 0 && trailing_newlines_ == 0 && written_) {
            out += '\n';
            trailing_newlines_ = 1;
            --pending_newlines_;
        }
        if (!out.empty()) emit(out);
    }

    // From the first key operation on, the keyboard stays raw (no line editing,
    // no echo, Enter as a carriage return), so that keys typed ahead do not
    // appear on the screen, as they never did on the console the tools were
    // made for. Interrupt keys still work and leave the terminal as it was.
    void enter_raw_mode() {
        if (raw_) return;
        termios saved{};
        if (tcgetattr(input_, &saved) != 0) return;
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        if (tcsetattr(input_, TCSANOW, &raw) != 0) return;
        saved_ = saved;
        raw_ = true;
        line_mode = saved;
        raw_fd = input_;
        watch_signals();
    }

    void leave_raw_mode() {
        if (!raw_) return;
        tcsetattr(input_, TCSANOW, &saved_);
        raw_ = false;
        raw_fd = -1;
    }

    bool at_line_start() const { return !written_ || trailing_newlines_ > 0 || pending_newlines_ > 0; }

    void end_plain_line() {
        if (!at_line_start()) emit_plain("\n");
        placed_line_ = false;
    }

    // Without a terminal, a text placed at a cursor position is a line of its
    // own: what follows it without a new position starts on the next line. A
    // placed text of blanks only clears a field on the screen, and a field that
    // shows again what it showed is no news: both are left out.
    bool place_plain_text(std::string_view text) {
        if (after_go_to_) {
            if (text.find_first_not_of(' ') == std::string_view::npos) return false;
            std::string& shown = fields_[place_];
            if (shown == text) return false;
            shown = text;
            after_go_to_ = false;
            placed_line_ = true;
        } else if (placed_line_) {
            end_plain_line();
        }
        return true;
    }

    // A key from the terminal, or the next character of piped input: a line
    // feed there stands for Enter, and so does the end of the input, so that a
    // question asked of a script is answered No rather than waited on forever.
    // Read a byte at a time, so that a program started later finds the rest of
    // the piped input where this one stopped.
    int next_key() {
        if (keyboard_) enter_raw_mode();
        unsigned char key = 0;
        ssize_t got = 0;
        do {
            got = ::read(input_, &key, 1);
        } while (got < 0 && errno == EINTR);
        if (got != 1 || key == '\n') return key_enter;
        return key;
    }

    int output_;
    int input_;
    bool screen_;
    bool keyboard_;
    bool raw_ = false;
    termios saved_{};
    bool drawn_ = false;
    // Plain output.
    bool written_ = false;         // a text has been written
    int trailing_newlines_ = 0;    // line ends written since the last text
    int pending_newlines_ = 0;     // line ends held back
    bool after_go_to_ = false;     // the cursor was just placed
    std::pair<int, int> place_{};  // where
    bool placed_line_ = false;     // the current line began at a placed text
    std::map<std::pair<int, int>, std::string> fields_;  // what each place shows
};

Console* current = nullptr;

}  // namespace

Console& console() {
    if (current) return *current;
    static DescriptorConsole process_console(STDOUT_FILENO, STDIN_FILENO);
    return process_console;
}

std::unique_ptr<Console> make_console(int output, int input) {
    return std::make_unique<DescriptorConsole>(output, input);
}

ScopedConsole::ScopedConsole(Console& replacement) : previous_(current) { current = &replacement; }

ScopedConsole::~ScopedConsole() { current = previous_; }

}  // namespace qv
