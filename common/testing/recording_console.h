#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/platform/console.h"

namespace qv::testing {

// A console for tests: it records every text and screen operation in order and
// answers key reads from a scripted string. While it lives it is the process
// console (qv::console() returns it).
//
// Texts are recorded as written; the other operations as a word in braces:
// "{hide cursor}", "{high intensity}", "{background 9}", "{clear screen}",
// "{go to 16,3}", "{clear to end of line}", and each key read as "{key Y}"
// ("{key Enter}" for Enter, "{key 0x1b}" for other control characters).
class RecordingConsole final : public Console {
public:
    // keys: the answers to the key reads, one character each; once they are used
    // up a read returns Enter, as piped input does at its end.
    explicit RecordingConsole(std::string keys = {}, bool terminal = false);

    void write(std::string_view text) override;
    void hide_cursor() override;
    void high_intensity() override;
    void background(int colour) override;
    void clear_screen() override;
    void go_to(int column, int row) override;
    void clear_to_end_of_line() override;
    bool key_waiting() override;
    int read_key() override;
    int read_key_echo() override;
    bool is_terminal() const override { return terminal_; }

    // key_waiting() answers false for the first `checks` calls and true after
    // them while scripted keys remain; by default it always answers false.
    void key_waiting_after(int checks) { waiting_after_ = checks; }

    const std::vector<std::string>& events() const { return events_; }
    // Every text written, joined: what the console shows without a terminal.
    std::string text() const;
    // Every event joined, operations in braces between the texts.
    std::string transcript() const;
    std::size_t keys_left() const { return keys_.size() - next_key_; }
    void clear() {
        events_.clear();
        is_text_.clear();
    }

private:
    int next_key(bool echo);
    void record(std::string event, bool is_text = false);

    std::string keys_;
    std::size_t next_key_ = 0;
    bool terminal_;
    int waiting_after_ = -1;
    int waiting_checks_ = 0;
    std::vector<std::string> events_;
    std::vector<bool> is_text_;
    ScopedConsole scope_;
};

}  // namespace qv::testing
