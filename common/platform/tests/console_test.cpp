#include "common/platform/console.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "common/testing/recording_console.h"

namespace qv {
namespace {

// Both ends of a pipe, closed when the test is done.
struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int ends[2];
        if (pipe(ends) == 0) {
            read_end = ends[0];
            write_end = ends[1];
        }
    }
    ~Pipe() {
        close_write();
        if (read_end >= 0) close(read_end);
    }
    void close_write() {
        if (write_end >= 0) close(write_end);
        write_end = -1;
    }
    std::string drain() {
        close_write();
        std::string all;
        char buffer[256];
        ssize_t got;
        while ((got = read(read_end, buffer, sizeof buffer)) > 0) all.append(buffer, static_cast<std::size_t>(got));
        return all;
    }
};

// A pseudo terminal: the console sees a terminal on the subordinate side, the
// test reads what it draws and types keys on the controlling side.
struct Terminal {
    int controller = -1;
    int terminal = -1;
    Terminal() {
        controller = posix_openpt(O_RDWR | O_NOCTTY);
        if (controller < 0 || grantpt(controller) != 0 || unlockpt(controller) != 0) return;
        terminal = open(ptsname(controller), O_RDWR | O_NOCTTY);
    }
    ~Terminal() {
        if (terminal >= 0) close(terminal);
        if (controller >= 0) close(controller);
    }
    // What the console drew: waits (up to five seconds, for a loaded machine)
    // until at least `expected` bytes have come, then takes whatever follows at once.
    std::string drawn(std::size_t expected = 0) {
        std::string all;
        char buffer[256];
        pollfd ready{controller, POLLIN, 0};
        for (int waited = 0; all.size() < expected && waited < 50; ++waited) {
            if (poll(&ready, 1, 100) != 1) continue;
            const ssize_t got = read(controller, buffer, sizeof buffer);
            if (got <= 0) break;
            all.append(buffer, static_cast<std::size_t>(got));
        }
        while (poll(&ready, 1, 50) == 1) {
            const ssize_t got = read(controller, buffer, sizeof buffer);
            if (got <= 0) break;
            all.append(buffer, static_cast<std::size_t>(got));
        }
        return all;
    }
    void type(const std::string& keys) { ASSERT_EQ(write(controller, keys.data(), keys.size()), ssize_t(keys.size())); }
};

TEST(Console, WithoutATerminalWritesPlainLinesInOrder) {
    Pipe out, in;
    auto screen = make_console(out.write_end, in.read_end);
    EXPECT_FALSE(screen->is_terminal());
    screen->hide_cursor();
    screen->high_intensity();
    screen->background(9);
    screen->clear_screen();
    screen->go_to(24, 2);
    screen->write("THE VENDOR LINE");
    screen->go_to(16, 3);
    screen->print("QUORUP PROGRAM, VERSION %s", "5.5");
    screen->go_to(49, 11);
    screen->write("     ");
    screen->go_to(50, 11);
    screen->clear_to_end_of_line();
    screen->write("CLC\n");
    screen->go_to(1, 12);
    screen->write("NEXT");
    screen->write("NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 30\n");
    screen->write("\nConverting W__CLC.QVT to ASCII format - ");
    screen->write("- Done!");
    screen.reset();
    EXPECT_EQ(out.drain(),
              "THE VENDOR LINE\nQUORUP PROGRAM, VERSION 5.5\nCLC\nNEXT\n"
              "NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 30\n"
              "\nConverting W__CLC.QVT to ASCII format - - Done!\n");
}

// A log of a piped run: a field drawn again with the text it shows is left
// out (until the screen is cleared), as are the blank lines of a screen's empty
// rows beyond one, and the lines before the first text.
TEST(Console, WithoutATerminalAFieldIsWrittenOnlyWhenItsTextChanges) {
    Pipe out, in;
    auto screen = make_console(out.write_end, in.read_end);
    screen->clear_screen();
    screen->write("\n\n\n");
    screen->draw({{32, 8, "---WORKING ON---"}, {26, 11, "Database Being Updated:"}});
    for (const char* kind : {"IDX", "IDX", "CLC", "CLC", "CLC"}) screen->draw({{49, 11, "     "}, {50, 11, kind}});
    screen->draw({{59, 14, "GC"}, {60, 14, "GC"}, {59, 14, "GC"}});
    screen->clear_screen();
    screen->write(std::string(12, '\n') + "     FAREWELL");
    screen->draw({{50, 11, "CLC"}});
    screen.reset();
    EXPECT_EQ(out.drain(),
              "---WORKING ON---\nDatabase Being Updated:\nIDX\nCLC\nGC\nGC\n\n     FAREWELL\nCLC\n");
}

TEST(Console, PipedKeysAreTheInputCharactersThenEnter) {
    Pipe out, in;
    ASSERT_EQ(write(in.write_end, "y\n2", 3), 3);
    in.close_write();
    auto screen = make_console(out.write_end, in.read_end);
    EXPECT_FALSE(screen->key_waiting());
    EXPECT_EQ(screen->read_key(), 'y');
    EXPECT_EQ(screen->read_key(), key_enter);
    EXPECT_EQ(screen->read_key_echo(), '2');
    EXPECT_EQ(screen->read_key(), key_enter);
    EXPECT_EQ(screen->read_key_echo(), key_enter);
    EXPECT_FALSE(screen->key_waiting());
    screen.reset();
    EXPECT_EQ(out.drain(), "2\n");
}

TEST(Console, OnATerminalDrawsWithEscapeSequencesAndReadsRawKeys) {
    Terminal tty;
    if (tty.terminal < 0) GTEST_SKIP() << "no pseudo terminals here";
    auto screen = make_console(tty.terminal, tty.terminal);
    EXPECT_TRUE(screen->is_terminal());
    screen->hide_cursor();
    screen->high_intensity();
    screen->background(9);
    screen->clear_screen();
    screen->go_to(16, 3);
    screen->write("DFANOUT");
    screen->clear_to_end_of_line();
    screen->background(1);
    const std::string screen_drawn = "\x1b[?25l\x1b[1m\x1b[104m\x1b[2J\x1b[H\x1b[3;16HDFANOUT\x1b[K\x1b[44m";
    EXPECT_EQ(tty.drawn(screen_drawn.size()), screen_drawn);

    EXPECT_FALSE(screen->key_waiting());
    // Raw from the first key operation on: a key typed ahead arrives without
    // Enter and is not echoed by the terminal.
    tty.type("n");
    // The terminal passes the key on in its own time.
    bool waiting = false;
    for (int tries = 0; !waiting && tries < 500; ++tries) {
        waiting = screen->key_waiting();
        if (!waiting) usleep(10000);
    }
    EXPECT_TRUE(waiting);
    EXPECT_EQ(screen->read_key(), 'n');
    tty.type("\r");
    EXPECT_EQ(screen->read_key(), key_enter);
    EXPECT_EQ(tty.drawn(), "");
    tty.type("1");
    EXPECT_EQ(screen->read_key_echo(), '1');
    EXPECT_EQ(tty.drawn(1), "1");

    // Line editing comes back when the console is flushed, before another
    // program gets the terminal.
    termios mode{};
    ASSERT_EQ(tcgetattr(tty.terminal, &mode), 0);
    EXPECT_EQ(mode.c_lflag & (ICANON | ECHO), 0u);
    screen->flush();
    ASSERT_EQ(tcgetattr(tty.terminal, &mode), 0);
    EXPECT_EQ(mode.c_lflag & (ICANON | ECHO), tcflag_t(ICANON | ECHO));

    // The terminal gets its colours and cursor back at the end.
    screen.reset();
    EXPECT_EQ(tty.drawn(10), "\x1b[0m\x1b[?25h");
}

TEST(RecordingConsole, StandsInForTheProcessConsoleWhileItLives) {
    Console* before = &console();
    {
        testing::RecordingConsole screen("Y");
        EXPECT_EQ(&console(), &screen);
        console().go_to(32, 8);
        console().print("---WORKING ON--- %d", 1);
        screen.key_waiting_after(1);
        EXPECT_FALSE(console().key_waiting());
        EXPECT_TRUE(console().key_waiting());
        EXPECT_EQ(console().read_key(), 'Y');
        EXPECT_FALSE(console().key_waiting());
        EXPECT_EQ(console().read_key(), key_enter);
        EXPECT_EQ(screen.transcript(), "{go to 32,8}---WORKING ON--- 1{key Y}{key Enter}");
        EXPECT_EQ(screen.text(), "---WORKING ON--- 1");
    }
    EXPECT_EQ(&console(), before);
}

}  // namespace
}  // namespace qv
