#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

namespace qv {

// Key code a key read returns for Enter; also what it returns at the end of piped input.
inline constexpr int key_enter = '\r';

// A text placed on the screen at a column and row, optionally after clearing
// the rest of that line. A screen, or the fields a step updates, is a table of
// them drawn in order.
struct ScreenText {
    int column;
    int row;
    std::string_view text;
    bool clears_line = false;
};

// The tools' text console of 80 columns by 25 rows (column and row count from 1).
// On a terminal the screen operations are ANSI escape sequences; otherwise the
// texts are written as plain lines, in order, and the operations write nothing.
// Plain output is kept readable in a log: a placed text (a field) is written
// only when it differs from what that place last showed since the screen was
// cleared, a field of blanks only clears and is left out, runs of blank lines
// become one, and the output ends with a line end.
class Console {
public:
    virtual ~Console() = default;

    virtual void write(std::string_view text) = 0;
    void print(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Each text at its place, in order.
    void draw(std::span<const ScreenText> texts);
    void draw(std::initializer_list<ScreenText> texts) { draw(std::span(texts.begin(), texts.size())); }

    virtual void hide_cursor() = 0;
    virtual void high_intensity() = 0;
    virtual void background(int colour) = 0;
    virtual void clear_screen() = 0;
    virtual void go_to(int column, int row) = 0;
    virtual void clear_to_end_of_line() = 0;

    // A key press is waiting (always false without a terminal on standard input).
    virtual bool key_waiting() = 0;
    // One key press, without or with echo.
    virtual int read_key() = 0;
    virtual int read_key_echo() = 0;

    // Standard output is a terminal: pauses that only give a person time to read
    // a screen happen only then.
    virtual bool is_terminal() const = 0;
    virtual void flush() {}

    // Another program is about to write to the same output: plain output ends
    // its open line, so that the two programs' texts do not run together.
    virtual void end_output() {}
    // The process is handed over to another program (or ends): the terminal
    // gets normal attributes, a visible cursor and line-mode keys back, and
    // plain output ends its open line.
    virtual void restore_terminal() {}
};

// A console that shows nothing and answers every key read with Enter: for
// benchmarks and fuzzers, where the screen would only cost time.
class SilentConsole final : public Console {
public:
    void write(std::string_view) override {}
    void hide_cursor() override {}
    void high_intensity() override {}
    void background(int) override {}
    void clear_screen() override {}
    void go_to(int, int) override {}
    void clear_to_end_of_line() override {}
    bool key_waiting() override { return false; }
    int read_key() override { return key_enter; }
    int read_key_echo() override { return key_enter; }
    bool is_terminal() const override { return false; }
};

// The console of this process: standard output and standard input.
Console& console();

// A console on other descriptors, chosen as for the process console by whether
// they are terminals (tests and tools that draw on another terminal).
std::unique_ptr<Console> make_console(int output, int input);

// Puts another console in place of the process console while it lives (tests).
class ScopedConsole {
public:
    explicit ScopedConsole(Console& replacement);
    ~ScopedConsole();
    ScopedConsole(const ScopedConsole&) = delete;
    ScopedConsole& operator=(const ScopedConsole&) = delete;

private:
    Console* previous_;
};

}  // namespace qv
