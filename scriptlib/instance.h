// The script processor instance: all state of one host, kept in the host's
// instance block, and the per-call context that points into the host's
// locked blocks while an entry point runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

constexpr int kLineMax = 255;
constexpr int kStackMax = 100;
constexpr int kCallDepthMax = 6;
constexpr int kExtenderMax = 10;
constexpr int kExtenderFunctionMax = 500;
constexpr int kPathMax = 260;
constexpr int kNameTableSize = 493;

// Error modes set by `errormode`.
constexpr int kErrorModeOff = 0;
constexpr int kErrorModeCancel = 1;
constexpr int kErrorModeNotify = 2;

// Control stack frame kinds.
constexpr int16_t kFrameIf = 10001;
constexpr int16_t kFrameIfElse = 10002;
constexpr int16_t kFrameSwitch = 425;
constexpr int16_t kFrameWhile = 449;
constexpr int16_t kFrameFor = 284;
constexpr int16_t kFrameGosubFalse = 29000;
constexpr int16_t kFrameGosubTrue = 29001;
constexpr int16_t kFrameGosubNone = 29003;
constexpr int16_t kFrameCall = 177;

// Skip state bits of the innermost frame.
constexpr int16_t kSkipNotTaken = 1;
constexpr int16_t kSkipInside = 2;
constexpr int16_t kSkipContinue = 4;
constexpr int16_t kSkipBreak = 8;

struct Frame {
    int16_t kind;
    int16_t state;
    int32_t position;
    int16_t extra;
    int16_t unused;
};

struct ExtenderSlot {
    uintptr_t library;  // dlopen handle
    uintptr_t entry;    // entry point
    uintptr_t slot_data;
};

// The instance block. Plain data only: the host allocates it zero-filled
// and may move it between calls, so it holds no pointers into itself.
struct Instance {
    uint32_t magic;
    int32_t phase;
    // host link
    QslHandle window;
    QslHandle parent;
    uintptr_t callback;
    uintptr_t host_data;
    uintptr_t interface_word;
    uintptr_t host_record;  // host's array of words; [2] gets the heap handle
    uint8_t host_options;   // QSL_NOTIFY_ bits
    char app_name[21];
    char module_name[21];
    // variables and strings
    QslHandle var_handle;
    uint16_t var_capacity;
    uint16_t var_count;
    int32_t last_assigned;
    QslHandle heap_handle;
    // statement state
    char line[kLineMax + 2];
    int32_t scan;          // scan position in line
    int32_t token_start;   // for putback
    char token[kLineMax + 2];
    int32_t token_length;
    int16_t token_class;
    int16_t token_code;
    int32_t token_int;
    double token_float;
    int32_t last_error;
    int32_t suppressed_error;  // last error cleared by the wrapper, for `lasterror`
    int32_t extender_error;    // the extender's own number of a 1213/2214/3215
    int32_t suppressed_extender_error;
    int32_t error_mode;
    int32_t last_if;
    int32_t depth;
    int32_t call_depth;
    int32_t terminate_requested;
    uint32_t breaks_seen;  // break requests already acted on
    int32_t run_result;
    Frame stack[kStackMax];
    // name tables
    uintptr_t host_table;  // QslNameEntry array of the host
    int32_t host_count;
    int32_t extender_function_count;
    QslNameEntry extender_table[kExtenderFunctionMax];
    ExtenderSlot extenders[kExtenderMax];
    int32_t extender_count;
    uint32_t names_generation;  // changes whenever a function table does or a variable goes
    uint8_t disabled[(kNameTableSize + 7) / 8];
    // settings
    int32_t sounds;
    int32_t pretty_dialogs;
    int32_t silent;
    char silent_path[kPathMax + 1];
    int32_t trace_mode;
    char trace_file[kPathMax + 1];
    int32_t trace_started;
    uint64_t trace_start_ms;
    int32_t single_step;
    int32_t echo_lines;
    int32_t run_options;
    int32_t exclusive;
    int32_t decimals;
    int32_t multiple_select;
    int32_t share_read;
    int32_t share_write;
    int32_t four_digit_years;
    int32_t window_retry;
    int32_t read_buffer_size;
    char list_delimiter;
    char line_end[4];
    // texts left by a failing function
    char error_detail[256];
    char extender_error_text[256];
};

static_assert(std::is_trivially_copyable_v<Instance>);
static_assert(sizeof(Instance) <= QSL_INSTANCE_SIZE, "the instance must fit the block");

constexpr uint32_t kInstanceMagic = 0x51534C31;  // "QSL1"

// An error that unwinds evaluation to the statement wrapper.
struct ScriptError {
    int number;
};
[[noreturn]] void fail(int number);

// What a statement left for the trace file.
struct Outcome {
    bool set = false;
    std::string text;
};

// The running script buffer.
struct Buffer {
    char* text = nullptr;
    uint32_t length = 0;
};

class Context;

// Words already resolved in this call: a name-table, extender or host code,
// or a variable index; all of them forgotten when the instance's names
// generation moves (a function table changed or a variable was dropped).
class WordCache {
public:
    bool find(const Context& c, std::string_view word, uint32_t hash, int& cls, int& code);
    void remember(const Context& c, std::string_view word, uint32_t hash, int cls, int code);

private:
    static constexpr int kEntries = 128;
    struct Entry {
        char word[24];
        uint8_t length = 0;
        int16_t cls = 0;
        int16_t code = 0;
    };
    Entry entries[kEntries];
    uint32_t generation = 0xFFFFFFFF;
};

// Everything an entry point has locked for the length of the call.
class Context {
public:
    Instance* in = nullptr;
    QslHandle handle = 0;
    uint8_t* vars = nullptr;
    char* heap = nullptr;
    uint32_t heap_size = 0;
    Buffer buffer;
    bool tracing = false;  // trace outcomes are collected only when needed
    bool line_has_percent = true;  // set by the line reader
    Outcome outcome;
    WordCache names;
    // The statement being run: the file of the script a CALL ran (empty for
    // the host's buffer) and where its line starts in the buffer.
    std::string script_file;
    uint32_t line_start = 0;

    // Locks the variable table and the string heap; false when either fails.
    bool lock_blocks();
    void unlock_blocks();

    int skip_state() const {
        return in->depth > 0 ? in->stack[in->depth - 1].state : 0;
    }
    Frame* top() { return in->depth > 0 ? &in->stack[in->depth - 1] : nullptr; }
    void push(int16_t kind, int16_t state, int32_t position, int16_t extra);

    // String heap access by offset.
    char* str(uint32_t offset) { return heap + offset; }
};

}  // namespace qsl
