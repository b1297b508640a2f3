// Each line is read, substituted, stripped of its label and executed inside
// the statement wrapper; between statements the message pump runs the
// break check. Errors are reported by number and severity: up to 2000
// minor, 2001 to 3000 moderate, above 3000 fatal.
#include "scriptlib/run_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "scriptlib/calls.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/exception_errors.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/script_text.h"
#include "scriptlib/statements.h"
#include "scriptlib/trace.h"
#include "scriptlib/variables.h"

namespace qsl {

std::atomic<uint32_t> g_break_requests{0};

namespace {

// The place of the last error report, for the host's message box.
thread_local std::string g_error_file;
thread_local int g_error_line = 0;

// Line ends are CR, LF or CR LF, as the line reader takes them.
int line_number(const Buffer& buffer, uint32_t line_start) {
    int number = 1;
    for (uint32_t i = 0; i < line_start && i < buffer.length; ++i) {
        const char ch = buffer.text[i];
        if (ch == '\n' || (ch == '\r' && (i + 1 >= buffer.length || buffer.text[i + 1] != '\n'))) ++number;
    }
    return number;
}

bool tracing(const Instance& in) { return in.trace_mode != 0 && in.trace_file[0] != '\0'; }

void clear_error(Instance& in) {
    in.last_error = 0;
    in.extender_error = 0;
    in.error_detail[0] = '\0';
}

// Keeps a cleared error apart for `lasterror`.
void suppress(Instance& in) {
    in.suppressed_error = in.last_error;
    in.suppressed_extender_error = in.extender_error;
    in.last_error = 0;
}

void show_loader_error(int message, const std::string& text) {
    show_box(std::to_string(message) + ":  " + error_text(message), text, QSL_MB_OK);
}

// The single-step dialog; false when the user cancels.
bool step(Context& c, const std::string& text) {
    for (;;) {
        std::string name;
        int button = step_dialog(text, name);
        if (button == QSL_STEP_RUN) c.in->single_step = 0;
        if (button == QSL_STEP_CANCEL) return false;
        if (button != QSL_STEP_SHOW_VAR) return true;
        int index = find_variable(c, name);
        std::string shown = name + " = ??? Unknown Variable";
        if (index >= 0 && (read_slot(c, index).type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING))) {
            Value v(c);
            load_variable(c, index, v);
            shown = name + " = " + display(v);
        }
        show_box("DEBUG", shown, QSL_MB_OK);
    }
}

int statement_wrapper(Context& c, int stmt, Place& place) {
    Instance& in = *c.in;
    clear_error(in);
    c.tracing = tracing(in) || in.single_step == 1;
    c.outcome.set = false;
    int result;
    try {
        result = execute_statement(c, stmt, place);
    } catch (...) {
        in.last_error = current_exception_error();
        result = 0;
    }
    if (in.last_error == QSL_USER_CANCEL) {
        try {
            place.next = find_label(c, "CANCEL");
            in.last_if = -1;
            in.last_error = 0;
            result = 1;
        } catch (const ScriptError&) {
        }
    }
    int error = in.last_error;
    bool goes_on = result != 0;
    if (error && error < errors::silent_min) goes_on = report_error(c);
    if (tracing(in)) {
        std::string outcome = c.outcome.set ? c.outcome.text : "";
        trace_statement(c, outcome, error, !goes_on);
    }
    if (error) {
        // Reported, and cleared by report_error when the script goes on; a
        // minor error a function left pending stops a statement that ran.
        if (!goes_on) return 0;
        return result ? result : 1;
    }
    return result;
}

}  // namespace

bool report_error(Context& c) {
    Instance& in = *c.in;
    int n = in.last_error;
    bool minor = n <= errors::minor_max, fatal = n > errors::moderate_max;
    if (in.error_mode == error_mode_off && minor) {
        suppress(in);
        return true;
    }
    g_error_file = c.script_file;
    g_error_line = line_number(c.buffer, c.line_start);
    std::string title = std::to_string(n) + ":  " + error_text(n);
    std::string text(in.line, strnlen(in.line, 157));
    text += "\n\n";
    if (in.error_detail[0]) text += std::string(in.error_detail) + "\n";
    text += "QSL Version: " QSL_VERSION_TEXT;
    if (in.sounds && !in.silent) play_sound("SystemHand");
    bool ok_only = fatal || in.error_mode == error_mode_cancel;
    int answer = show_box(title, text, ok_only ? QSL_MB_OK : QSL_MB_OKCANCEL);
    if (in.error_mode == error_mode_cancel || fatal || answer == QSL_ID_CANCEL) return false;
    suppress(in);
    return true;
}

void pump_messages(Context& c) {
    // Ctrl+Break arrives as QslRequestBreak (a host's SIGINT handler).
    // Every running script sees each request once; one made while no script ran lapses.
    uint32_t requests = g_break_requests.load();
    if (requests != c.in->breaks_seen) {
        c.in->breaks_seen = requests;
        if (!(c.in->run_options & QSL_RUN_NO_BREAK)) c.in->terminate_requested = 1;
    }
    if (c.in->host_options & QSL_NOTIFY_IDLE) notify_host(c, -1, "1");
}

// Waits the given milliseconds in short slices, pumping messages; a
// termination request ends the wait.
void wait_for(Context& c, int64_t milliseconds) {
    using std::chrono::steady_clock;
    steady_clock::time_point deadline = steady_clock::now() + std::chrono::milliseconds(std::max<int64_t>(milliseconds, 0));
    for (;;) {
        pump_messages(c);
        if (c.in->terminate_requested) return;
        steady_clock::time_point now = steady_clock::now();
        if (now >= deadline) return;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(deadline - now, std::chrono::milliseconds(50)));
    }
}

int run_buffer(Context& c, char* text, uint32_t length) {
    Instance& in = *c.in;
    Buffer saved = c.buffer;
    c.buffer = Buffer{text, length};
    uint32_t pos = 0;
    int result = 1;
    for (;;) {
        uint32_t line_start = 0;
        LineRead read = read_line(c, pos, line_start);
        c.line_start = line_start;
        if (read == LineRead::end) break;
        if (read == LineRead::too_long) {
            in.last_error = errors::line_too_long;
            show_loader_error(errors::line_too_long, std::string(text + line_start, std::min<uint32_t>(157, length - line_start)));
            result = 0;
            break;
        }
        if (in.line[0] == '\0' || in.line[0] == ';') continue;
        bool substituted = false;
        try {
            if (c.line_has_percent) substituted = substitute(c);
        } catch (const ScriptError& e) {
            if (c.skip_state()) continue;
            in.last_error = e.number;
            report_error(c);
            in.last_error = e.number;
            result = 0;
            break;
        }
        if (in.line[0] == '#' && std::strncmp(in.line, "#include", 8) == 0 && (in.line[8] == ' ' || in.line[8] == '\t') &&
            std::strlen(in.line) >= 10) {
            const char* name = in.line + 9;
            while (*name == ' ' || *name == '\t') ++name;
            char rewritten[line_max + 2];
            int n = std::snprintf(rewritten, sizeof rewritten, "Call(%s,``)", name);
            if (n > line_max) {
                in.last_error = errors::substituted_line_too_long;
                report_error(c);
                result = 0;
                break;
            }
            std::memcpy(in.line, rewritten, size_t(n) + 1);
            substituted = true;
        }
        int stmt = 0;
        if (in.line[0] == ':') {
            while (in.line[stmt] && in.line[stmt] != ' ' && in.line[stmt] != '\t') ++stmt;
            while (in.line[stmt] == ' ' || in.line[stmt] == '\t') ++stmt;
            if (in.line[stmt] == '\0' || in.line[stmt] == ';') continue;
        }
        if (in.echo_lines && !in.silent) std::fprintf(stderr, ">>>>>%s<<<<<\r\n", in.line);
        if (in.host_options & QSL_NOTIFY_STATEMENT) {
            if (notify_host(c, -1, "2", reinterpret_cast<uintptr_t>(text), line_start, uintptr_t(in.last_assigned)) ==
                QSL_STOP_REQUESTED) {
                in.last_error = QSL_STOP_REQUESTED;
                result = 0;
                break;
            }
        }
        if (in.single_step == 1 && !step(c, std::string("Next Statement...\n") + in.line)) {
            in.last_error = QSL_USER_CANCEL;
            result = 0;
            break;
        }
        Place place{line_start, substituted, pos};
        int r = statement_wrapper(c, stmt, place);
        if (r == 1 && in.single_step == 1 && !step(c, "Result...\n" + (c.outcome.set ? c.outcome.text : std::string(in.line)))) {
            in.last_error = QSL_USER_CANCEL;
            result = 0;
            break;
        }
        if (r != 1) {
            result = r == -1 ? 1 : 0;
            break;
        }
        pos = place.next;
        pump_messages(c);
        if (in.terminate_requested) {
            if (!(in.run_options & QSL_RUN_NO_TERMINATE_MESSAGE))
                show_box(in.line, "Execution terminated by user request or error", QSL_MB_OK);
            in.last_error = QSL_STOP_REQUESTED;
            result = 0;
            break;
        }
    }
    if (result == 1 && in.call_depth == 0) {
        if (tracing(in)) trace_end(c, true);
        if (in.single_step == 1) {
            std::string ignored;
            step_dialog(";;;END OF JOB;;;", ignored);
        }
    }
    c.buffer = saved;
    return result;
}

}  // namespace qsl

QSL_API int QslErrorPlace(char* file, size_t file_size) {
    if (file && file_size) std::snprintf(file, file_size, "%s", qsl::g_error_file.c_str());
    return qsl::g_error_line;
}
