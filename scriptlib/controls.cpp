// The language's own controls act on the instance's settings; most return
// the setting's previous value.
#include "scriptlib/controls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "scriptlib/binary_buffers.h"
#include "scriptlib/call_script.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/extenders.h"
#include "scriptlib/families.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/name_table.h"
#include "scriptlib/window_system.h"

namespace qsl {
namespace {

int32_t read_int(const std::string& text) {
    int32_t n = 0;
    return string_to_integer(text.c_str(), n) ? n : std::atoi(text.c_str());
}

void copy_path(char* target, const char* text) {
    std::snprintf(target, path_max + 1, "%s", text);
}

void terminate(Context& c, std::vector<Value>& args) {
    if (args[0].r.int_value == 0) return;
    std::string title = args[1].text(), message = args[2].text();
    if (title.empty() && message.empty()) fail(QSL_STOP_REQUESTED);
    if (c.in->sounds && !c.in->silent) play_sound("SystemHand");
    show_box(title.empty() ? "Menu/Batch Terminated" : title,
             message.empty() ? "Processing failed validity check" : message, QSL_MB_OK);
    fail(QSL_STOP_REQUESTED);
}

// Every other built-in word belongs to a family of functions.
void call_family(Context& c, int code, std::vector<Value>& args, Value& out) {
    BuiltinFunction function = family_function(code);
    if (!function) fail(errors::function_not_defined);
    Call call{c, code, args, out};
    function(call);
}

}  // namespace

void change_directory(const char* path) {
    if (chdir(path) != 0) {
        // The directory a host names is a wish; the script goes on where it is.
    }
}

void call_builtin(Context& c, int code, std::vector<Value>& args, Value& out) {
    Instance& in = *c.in;
    auto arg = [&](int i) { return args[size_t(i)].r.int_value; };
    switch (code) {
        case code_errormode: {
            int previous = in.error_mode;
            in.error_mode = arg(0) == 0 ? error_mode_off : arg(0) == 1 ? error_mode_cancel : error_mode_notify;
            out.set_int(previous);
            return;
        }
        case code_lasterror: {
            int number = in.suppressed_error;
            if (number == errors::extender_minor || number == errors::extender_moderate || number == errors::extender_severe || number == QSL_STOP_QUIETLY)
                number = in.suppressed_extender_error ? in.suppressed_extender_error : number;
            in.suppressed_error = 0;
            in.suppressed_extender_error = 0;
            out.set_int(number);
            return;
        }
        case code_debug: {
            int previous = in.single_step;
            in.single_step = arg(0) > 0 ? 1 : arg(0) == 0 ? 0 : -1;
            out.set_int(previous);
            return;
        }
        case code_debugtrace: {
            int previous = in.trace_mode;
            in.trace_mode = arg(0);
            std::string file = args[1].text();
            if (file.size() > path_max) fail(errors::string_too_long);
            if (file != in.trace_file) in.trace_started = 0;
            copy_path(in.trace_file, file.c_str());
            out.set_int(previous);
            return;
        }
        case code_decimals: {
            int n = arg(0);
            in.decimals = n > 8 ? 8 : n < -3 ? -1 : n;
            out.set_int(n);
            return;
        }
        case code_exclusive: {
            int previous = in.exclusive;
            in.exclusive = arg(0) != 0;
            out.set_int(previous);
            return;
        }
        case code_terminate:
            terminate(c, args);
            out.set_int(0);
            return;
        case code_addextender:
            add_extender(c, args[0].text());
            out.set_int(1);
            return;
        case code_call: {
            std::string file = args[0].text(), parameters = args[1].text();
            call_script(c, file, parameters);
            out.set_int(1);
            return;
        }
        case code_intcontrol: {
            std::string p[4];
            for (int i = 0; i < 4; ++i) p[i] = args[size_t(i + 1)].text();
            out.set_string(intcontrol(c, arg(0), p[0], p[1], p[2], p[3]));
            return;
        }
    }
    call_family(c, code, args, out);
}

void call_own_arguments(Context& c, int code, Value& out) {
    std::vector<Value> none;
    call_family(c, code, none, out);
}

std::string intcontrol(Context& c, int opcode, const std::string& p1, const std::string& p2,
                       const std::string& p3, const std::string& p4) {
    (void)p2;
    (void)p3;
    (void)p4;
    Instance& in = *c.in;
    auto swap_setting = [&](int32_t& setting, int32_t value) {
        int32_t previous = setting;
        setting = value;
        return std::to_string(previous);
    };
    switch (opcode) {
        case 7: return swap_setting(in.echo_lines, read_int(p1) != 0);
        case 12: return swap_setting(in.run_options, read_int(p1));
        case 20: return std::to_string(in.window);
        case 22:
        case 23: return "0";  // no window of this library receives messages
        case 24: return std::to_string(window_parent(QslHandle(std::strtoull(p1.c_str(), nullptr, 10))));
        case 29: {
            if (p1.size() != 1) fail(errors::bad_list_delimiter);
            std::string previous(1, in.list_delimiter);
            in.list_delimiter = p1[0];
            return previous;
        }
        case 30:
            // Moves at the next restart need a service this system does not offer.
            if (access(p1.c_str(), F_OK) != 0) fail(errors::rename_source_not_found);
            return "0";
        case 33: return swap_setting(in.multiple_select, read_int(p1) != 0);
        case 34: return error_text(read_int(p1));
        case 38: return swap_setting(in.silent, read_int(p1) != 0);
        case 39:
        case 40: {
            int mode = read_int(p1);
            if (mode < 0 || mode > 3) fail(errors::bad_share_mode);
            return swap_setting(opcode == 39 ? in.share_read : in.share_write, mode);
        }
        case 41: return swap_setting(in.four_digit_years, read_int(p1) != 0);
        case 42: return std::to_string(binary_address(c, read_int(p1)));
        case 44: return windows().text(QslHandle(std::strtoull(p1.c_str(), nullptr, 10)), QSL_WINDOW_CLASS);
        case 46: return swap_setting(in.window_retry, read_int(p1));
        case 53: {
            static constexpr const char* line_ends[] = {"", "\r\n", "\n", "\r", "\t"};
            int code = read_int(p1);
            if (code < 0 || code > 4) fail(errors::bad_intcontrol_value);
            std::snprintf(in.line_end, sizeof in.line_end, "%s", line_ends[code]);
            return swap_setting(in.line_end_code, code);
        }
        case 58: return "0";  // setting the system clock is left to the system's own tools
        case 65: return swap_setting(in.read_buffer_size, read_int(p1));
    }
    bool exists = opcode == 1 || opcode == 4 || opcode == 5 || opcode == 8 || opcode == 13 ||
                  (opcode >= 20 && opcode <= 26) || (opcode >= 28 && opcode <= 68) || opcode == 70 ||
                  opcode == 90 || opcode == 101;
    if (!exists) fail(errors::bad_intcontrol);
    return "0";
}

}  // namespace qsl
