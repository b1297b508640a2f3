#include "common/testing/recording_console.h"

#include <utility>

#include "common/platform/text.h"

namespace qv::testing {

RecordingConsole::RecordingConsole(std::string keys, bool terminal)
    : keys_(std::move(keys)), terminal_(terminal), scope_(*this) {}

void RecordingConsole::write(std::string_view text) {
    if (!text.empty()) record(std::string(text), true);
}

void RecordingConsole::hide_cursor() { record("{hide cursor}"); }
void RecordingConsole::high_intensity() { record("{high intensity}"); }
void RecordingConsole::background(int colour) { record(format("{background %d}", colour)); }
void RecordingConsole::clear_screen() { record("{clear screen}"); }
void RecordingConsole::go_to(int column, int row) { record(format("{go to %d,%d}", column, row)); }
void RecordingConsole::clear_to_end_of_line() { record("{clear to end of line}"); }

bool RecordingConsole::key_waiting() {
    if (waiting_after_ < 0 || keys_left() == 0) return false;
    return waiting_checks_++ >= waiting_after_;
}

void RecordingConsole::record(std::string event, bool is_text) {
    events_.push_back(std::move(event));
    is_text_.push_back(is_text);
}

int RecordingConsole::read_key() { return next_key(false); }
int RecordingConsole::read_key_echo() { return next_key(true); }

int RecordingConsole::next_key(bool echo) {
    int key = key_enter;
    if (next_key_ < keys_.size()) key = static_cast<unsigned char>(keys_[next_key_++]);
    if (key == key_enter)
        record("{key Enter}");
    else if (key < 0x20 || key == 0x7f)
        record(format("{key 0x%02x}", key));
    else
        record(format("{key %c}", key));
    if (echo && key != key_enter) record(std::string(1, static_cast<char>(key)), true);
    return key;
}

std::string RecordingConsole::text() const {
    std::string all;
    for (std::size_t i = 0; i < events_.size(); ++i)
        if (is_text_[i]) all += events_[i];
    return all;
}

std::string RecordingConsole::transcript() const {
    std::string all;
    for (const auto& event : events_) all += event;
    return all;
}

}  // namespace qv::testing
