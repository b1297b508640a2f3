// The library's entry points. Each locks the instance block (and, for a run,
// the variable table, the string heap and the script) for the length of the
// call only. Calls that a host or an extender makes from inside a running
// script reuse the context of that run, so that a heap that grows during
// the inner call is seen by the outer one.
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

#include "scriptlib/call_script.h"
#include "scriptlib/calls.h"
#include "scriptlib/expressions.h"
#include "scriptlib/extenders.h"
#include "scriptlib/exception_errors.h"
#include "scriptlib/families.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/instance_session.h"
#include "scriptlib/name_table.h"
#include "scriptlib/run_loop.h"
#include "scriptlib/settings.h"
#include "scriptlib/string_heap.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/variables.h"

namespace qsl {

extern std::atomic<uint32_t> g_break_requests;

void fail(int number) { throw ScriptError{number}; }

void Context::push(int16_t kind, int16_t state, int32_t position, int16_t extra) {
    if (in->depth >= stack_max) fail(errors::nesting_too_deep);
    in->stack[in->depth++] = Frame{kind, state, position, extra, 0};
}

bool Context::lock_blocks() {
    if (in->var_handle) vars = static_cast<uint8_t*>(QslGlobalLock(in->var_handle));
    if (in->heap_handle) heap = static_cast<char*>(QslGlobalLock(in->heap_handle));
    if (!vars || !heap) {
        unlock_blocks();
        return false;
    }
    uint32_t stored;
    std::memcpy(&stored, heap + 12, 4);
    size_t real = QslGlobalSize(in->heap_handle);
    heap_size = stored <= real ? stored : uint32_t(real);
    return true;
}

void Context::unlock_blocks() {
    if (vars) QslGlobalUnlock(in->var_handle);
    if (heap) QslGlobalUnlock(in->heap_handle);
    vars = nullptr;
    heap = nullptr;
}

namespace {

thread_local Context* g_active = nullptr;
std::atomic<int> g_busy{0};

// Serialises initialisation calls across the process.
class BusyCounter {
public:
    BusyCounter() {
        for (;;) {
            int expected = 0;
            if (g_busy.compare_exchange_strong(expected, 1)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~BusyCounter() { g_busy.store(0); }
};

// Locks an instance for one entry point, or borrows the running context.
class Session {
public:
    explicit Session(QslHandle handle) {
        if (g_active && g_active->handle == handle) {
            context_ = g_active;
            return;
        }
        auto* in = static_cast<Instance*>(QslGlobalLock(handle));
        if (!in) return;
        if (QslGlobalSize(handle) < sizeof(Instance) || in->magic != instance_magic) {
            QslGlobalUnlock(handle);
            return;
        }
        own_.in = in;
        own_.handle = handle;
        owned_ = true;
        if (in->phase >= 3 && !own_.lock_blocks()) {
            QslGlobalUnlock(handle);
            owned_ = false;
            return;
        }
        context_ = &own_;
        previous_ = g_active;
        g_active = context_;
    }
    ~Session() {
        if (!owned_) return;
        g_active = previous_;
        own_.unlock_blocks();
        QslGlobalUnlock(own_.handle);
    }
    Context* get() { return context_; }
    bool ready() const { return context_ && context_->heap && context_->vars; }

private:
    Context own_;
    Context* context_ = nullptr;
    Context* previous_ = nullptr;
    bool owned_ = false;
};

void copy_name(char* target, size_t size, const char* text) {
    std::snprintf(target, size, "%s", text ? text : "");
}

int phase_one(Instance* in, int count, const char* first) {
    std::memset(in, 0, sizeof *in);
    in->magic = instance_magic;
    in->phase = 1;
    in->interface_word = uintptr_t(count);
    copy_name(in->app_name, sizeof in->app_name, first);
    in->sounds = read_setting("MAIN", "Sounds", 0);
    in->pretty_dialogs = read_setting("MAIN", "PrettyDialogs", 1);
    in->error_mode = error_mode_cancel;
    in->last_if = -1;
    in->decimals = -1;
    in->list_delimiter = '\t';
    std::strcpy(in->line_end, "\r\n");
    in->line_end_code = 1;
    in->multiple_select = 1;
    in->share_read = 1;
    in->four_digit_years = 1;
    in->read_buffer_size = 4096;
    in->window_retry = 9;
    return 52;
}

int initialise(QslHandle window, QslHandle handle, QslHandle second, int phase, int count, const char* first,
               const char* second_name) {
    if (phase == 0) {
        if (((second >> 8) & 0xFF) != QSL_INTERFACE_VERSION) {
            show_box("DLL mismatch", "Version Interface Incompatible", QSL_MB_OK);
            return 0;
        }
        return QSL_INSTANCE_SIZE;
    }
    auto* in = static_cast<Instance*>(QslGlobalLock(handle));
    if (!in) return 0;
    struct Unlock {
        QslHandle h;
        ~Unlock() { QslGlobalUnlock(h); }
    } unlock{handle};
    if (QslGlobalSize(handle) < sizeof(Instance)) return 0;
    if (phase == 1) return phase_one(in, count, first);
    if (in->magic != instance_magic) return 0;
    Context c;
    c.in = in;
    c.handle = handle;
    switch (phase) {
        case 2: {
            if (!second || count <= 0 || size_t(count) * QSL_VARIABLE_SLOT_SIZE > QslGlobalSize(second)) return 0;
            in->var_handle = second;
            in->var_capacity = uint16_t(count);
            copy_name(in->app_name, sizeof in->app_name, first);
            copy_name(in->module_name, sizeof in->module_name, second_name);
            c.vars = static_cast<uint8_t*>(QslGlobalLock(second));
            if (!c.vars) return 0;
            clear_variables(c);
            QslGlobalUnlock(second);
            in->depth = 0;
            in->window = window;
            QslHandle parent = window_parent(window);
            in->parent = parent ? parent : window;
            in->phase = 2;
            return 1;
        }
        case 3: {
            if (!second || count <= 0 || size_t(count) > QslGlobalSize(second)) return 0;
            char* base = static_cast<char*>(QslGlobalLock(second));
            if (!base) return 0;
            bool formatted = heap_format(base, uint32_t(count));
            QslGlobalUnlock(second);
            if (!formatted) return 0;
            in->heap_handle = second;
            in->host_record = reinterpret_cast<uintptr_t>(second_name);
            std::string tag = first && *first ? first : "(NONE)";
            std::string stored;
            if (!read_setting_text("DllUsage", in->module_name, stored) || stored != tag)
                write_setting_text("DllUsage", in->module_name, tag);
            in->phase = 3;
            return 1;
        }
        case 99: {
            Session session(handle);
            Context* running = session.get();
            Context& ctx = running ? *running : c;
            if (in->callback) notify_host(ctx, -3, "");
            unload_extenders(ctx);
            tear_down_families(ctx);
            in->phase = 99;
            return 1;
        }
    }
    return 0;
}

}  // namespace

bool with_instance(QslHandle instance, const std::function<void(Context&)>& work) {
    Session session(instance);
    if (!session.ready()) return false;
    work(*session.get());
    return true;
}

}  // namespace qsl

using namespace qsl;

extern "C" {

QSL_API int DoDaDllInit(QslHandle window, QslHandle instance, QslHandle second, int phase, int count,
                        const char* first_name, const char* second_name) {
    // Re-initialising or tearing down an instance from inside its own run
    // (a callback) would pull its tables and extenders away under it.
    if (phase != 0 && g_active && g_active->handle == instance) return 0;
    BusyCounter busy;
    try {
        return initialise(window, instance, second, phase, count, first_name, second_name);
    } catch (...) {
        return 0;
    }
}

QSL_API int ProcessDaBatBuffer(QslHandle window, QslHandle instance, QslHandle script, QslExtenderProc host_callback,
                               uintptr_t host_data) try {
    // A script of an instance that is already running here would reset the
    // running one's control stack under it: refused.
    if (g_active && g_active->handle == instance) return 0;
    Session session(instance);
    Context* c = session.get();
    if (!c || !session.ready()) return 0;
    auto* bytes = static_cast<unsigned char*>(QslGlobalLock(script));
    if (!bytes) return 0;
    size_t size = QslGlobalSize(script);
    if (size > 1 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        // A UTF-16 script is converted in its own block, which grows when needed.
        std::string text;
        bool converted = convert_utf16(bytes, size, text);
        QslGlobalUnlock(script);
        if (converted && text.size() + 1 > size) converted = QslGlobalReAlloc(script, text.size() + 1, 0) != 0;
        bytes = converted ? static_cast<unsigned char*>(QslGlobalLock(script)) : nullptr;
        if (!bytes) {
            show_box("Error", "Error converting Unicode batch/menu file", QSL_MB_OK);
            return 0;
        }
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        size = QslGlobalSize(script);
    }
    Instance& in = *c->in;
    in.window = window;
    QslHandle parent = window_parent(window);
    in.parent = parent ? parent : window;
    in.trace_mode = 0;
    in.trace_started = 0;
    in.error_mode = error_mode_cancel;
    in.depth = 0;
    in.call_depth = 0;
    in.last_if = -1;
    in.terminate_requested = 0;
    in.breaks_seen = g_break_requests.load();
    in.callback = reinterpret_cast<uintptr_t>(host_callback);
    in.host_data = host_data;
    in.last_error = 0;
    pump_messages(*c);
    char* text = reinterpret_cast<char*>(bytes);
    uint32_t length = uint32_t(strnlen(text, size));
    try {
        in.run_result = run_buffer(*c, text, length);
    } catch (...) {
        in.last_error = current_exception_error();
        in.run_result = 0;
    }
    try {
        pump_messages(*c);
    } catch (...) {
    }
    QslGlobalUnlock(script);
    return 1;
} catch (...) {
    return 0;
}

QSL_API int DLLServices(QslHandle instance, int service, const char* first_text, char* second_text, int number,
                        uintptr_t extra) try {
    Session session(instance);
    Context* c = session.get();
    if (!c) return 0;
    Instance& in = *c->in;
    int saved_error = in.last_error;
    in.last_error = 0;
    int result = 1;
    std::string first = first_text ? first_text : "";
    try {
        switch (service) {
            case 1:
                if (!session.ready() || first.empty()) return 0;
                set_variable_text(*c, first, second_text ? second_text : "");
                break;
            case 2: {
                if (!session.ready()) return 0;
                std::string name = first;
                for (char& ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
                int index = find_variable(*c, name);
                result = 0;
                if (index >= 0 && (read_slot(*c, index).type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING))) {
                    Value v(*c);
                    load_variable(*c, index, v);
                    std::string text = display(v);
                    if (second_text && number > 0) std::snprintf(second_text, size_t(number), "%s", text.c_str());
                    result = 1;
                }
                break;
            }
            case 3:
                result = in.host_options;
                in.host_options = uint8_t(number & 7);
                break;
            case 4:
                result = in.run_options;
                in.run_options = number;
                break;
            case 5: result = saved_error; break;
            case 6:
                in.host_table = extra;
                in.host_count = extra ? number : 0;
                ++in.names_generation;
                break;
            case 11:
                if (!session.ready()) return 0;
                result = set_parameters(*c, first);
                break;
            case 23:
                result = in.silent;
                in.silent = number != 0;
                if (!first.empty()) std::snprintf(in.silent_path, sizeof in.silent_path, "%s", first.c_str());
                break;
            case 24: {
                char separator = second_text && *second_text ? *second_text : ',';
                size_t start = 0;
                while (start <= first.size()) {
                    size_t end = first.find(separator, start);
                    std::string name = first.substr(start, end == std::string::npos ? std::string::npos : end - start);
                    for (char& ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
                    int code = name.size() <= 12 ? lookup_word(name) : -1;
                    if (code < 0) {
                        result = 0;
                    } else if (number) {
                        in.disabled[code / 8] &= uint8_t(~(1 << (code % 8)));
                    } else {
                        in.disabled[code / 8] |= uint8_t(1 << (code % 8));
                    }
                    if (end == std::string::npos) break;
                    start = end + 1;
                }
                break;
            }
            default: result = 0;
        }
    } catch (...) {
        result = 0;
    }
    in.last_error = saved_error;
    return result;
} catch (...) {
    return 0;
}

QSL_API int get_token(QslHandle instance) try {
    Session session(instance);
    if (!session.ready()) return -1;
    try {
        return next_token(*session.get());
    } catch (...) {
        session.get()->in->last_error = current_exception_error();
        return -1;
    }
} catch (...) {
    return -1;
}

QSL_API int ProcessSubExpression(QslHandle instance, QslValue* value, int assignment_allowed) try {
    Session session(instance);
    if (!session.ready() || !value) return 0;
    Context& c = *session.get();
    try {
        Value v(c);
        evaluate(c, v, assignment_allowed != 0);
        if ((v.r.type & QSL_TYPE_STRING) && (v.r.type & borrowed)) v.set_string(std::string(v.text()));
        *value = v.r;
        v.r.type = 0;  // the caller owns the string now
        return 1;
    } catch (...) {
        c.in->last_error = current_exception_error();
        return 0;
    }
} catch (...) {
    return 0;
}

QSL_API int find_var(QslHandle instance, const char* name) try {
    Session session(instance);
    if (!session.ready() || !name) return 0xFFFF;
    Context& c = *session.get();
    std::string lower = name;
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    int index = find_variable(c, lower);
    if (index < 0) {
        c.in->last_error = errors::undefined_name;
        return 0xFFFF;
    }
    if (!(read_slot(c, index).type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING))) {
        c.in->last_error = errors::uninitialized_variable;
        return 0xFFFF;
    }
    return index;
} catch (...) {
    return 0xFFFF;
}

QSL_API uint32_t VMalloc(QslHandle instance, uint32_t size) try {
    Session session(instance);
    if (!session.ready()) return 0;
    return heap_alloc(*session.get(), size);
} catch (...) {
    return 0;
}

QSL_API void VFree(QslHandle instance, uint32_t offset) try {
    Session session(instance);
    if (session.ready()) heap_free(*session.get(), offset);
} catch (...) {
}

QSL_API void QslRequestBreak(void) { g_break_requests.fetch_add(1); }

}  // extern "C"
