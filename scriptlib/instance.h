// The script processor instance: all state of one host, kept in the host's
// instance block, and the per-call context that points into the host's
// locked blocks while an entry point runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "scriptlib/errors.h"
#include "scriptlib/include/qsleng32.h"

namespace qsl {

constexpr int line_max = 255;
constexpr int stack_max = 100;
constexpr int call_depth_max = 6;
constexpr int extender_max = 10;
constexpr int extender_function_max = 500;
constexpr int path_max = 260;
constexpr int name_table_size = 493;

// Error modes set by `errormode`.
constexpr int error_mode_off = 0;
constexpr int error_mode_cancel = 1;
constexpr int error_mode_notify = 2;

// Control stack frame kinds.
constexpr int16_t frame_if = 10001;
constexpr int16_t frame_if_else = 10002;
constexpr int16_t frame_switch = 425;
constexpr int16_t frame_while = 449;
constexpr int16_t frame_for = 284;
constexpr int16_t frame_gosub_false = 29000;
constexpr int16_t frame_gosub_true = 29001;
constexpr int16_t frame_gosub_none = 29003;
constexpr int16_t frame_call = 177;

// Skip state bits of the innermost frame.
constexpr int16_t skip_not_taken = 1;
constexpr int16_t skip_inside = 2;
constexpr int16_t skip_continue = 4;
constexpr int16_t skip_break = 8;

struct Frame {
    int16_t kind;
    int16_t state;
    int32_t position;
    int16_t extra;
    int16_t unused;
};

// A slot of the line file functions (fileopen): the system's file
// descriptor, the mode bits and the read buffer (a global memory block).
struct FileSlot {
    int32_t descriptor;
    int32_t mode;  // 0 free; file_mode_ bits otherwise
    QslHandle buffer;
    int32_t position;  // next unread byte in the buffer
    int32_t end;       // bytes in the buffer
    int32_t size;      // buffer size, 0 = unbuffered
};
constexpr int file_slot_count = 5;

// A library loaded by dllload: its dlopen handle, 0 when the slot is free.
constexpr int library_slot_count = 16;

// A binary buffer: a zero-filled moveable block, its size and end of data.
struct BinarySlot {
    QslHandle block;  // 0: the slot is free
    int32_t size;
    int32_t eod;
    int32_t ole_type;
};
constexpr int binary_slot_count = 10;

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
    char line[line_max + 2];
    int32_t scan;          // scan position in line
    int32_t token_start;   // for putback
    char token[line_max + 2];
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
    Frame stack[stack_max];
    // name tables
    uintptr_t host_table;  // QslNameEntry array of the host
    int32_t host_count;
    int32_t extender_function_count;
    QslNameEntry extender_table[extender_function_max];
    ExtenderSlot extenders[extender_max];
    int32_t extender_count;
    uint32_t names_generation;  // changes whenever a function table does or a variable goes
    uint8_t disabled[(name_table_size + 7) / 8];
    // settings
    int32_t sounds;
    int32_t pretty_dialogs;
    int32_t silent;
    char silent_path[path_max + 1];
    int32_t trace_mode;
    char trace_file[path_max + 1];
    int32_t trace_started;
    uint64_t trace_start_ms;
    int32_t single_step;
    int32_t echo_lines;
    int32_t run_options;
    int32_t exclusive;
    int32_t decimals;
    int32_t multiple_select;
    char button_names[2][32];  // buttonnames: the next box's OK/Yes and Cancel/No texts
    int32_t share_read;
    int32_t share_write;
    int32_t four_digit_years;
    int32_t window_retry;
    int32_t read_buffer_size;
    char list_delimiter;
    char line_end[4];       // what filewrite ends a line with, from line_end_code
    int32_t line_end_code;  // intcontrol 53: 0 none, 1 CR LF, 2 LF, 3 CR, 4 tab
    // files, libraries
    FileSlot files[file_slot_count];
    uintptr_t libraries[library_slot_count];

    BinarySlot binaries[binary_slot_count];
    // texts left by a failing function
    char error_detail[256];
    char extender_error_text[256];
};

static_assert(std::is_trivially_copyable_v<Instance>);
static_assert(sizeof(Instance) <= QSL_INSTANCE_SIZE, "the instance must fit the block");

constexpr uint32_t instance_magic = 0x51534C31;  // "QSL1"

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

// The labels of a script buffer, found in one pass the first time a jump
// looks for one: the upper-case label word and the offset of its line (the
// first line of that label wins).
struct LabelIndex {
    const char* text = nullptr;
    uint32_t length = 0;
    std::unordered_map<std::string, uint32_t> offsets;
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
    // Direct-mapped: a Fibonacci hash over 512 entries keeps the few words
    // of a hot loop apart.
    static constexpr int entry_bits = 9;
    static constexpr int entry_count = 1 << entry_bits;
    static uint32_t slot_of(uint32_t hash) { return (hash * 2654435761u) >> (32 - entry_bits); }
    struct Entry {
        char word[24];
        uint8_t length = 0;
        int16_t cls = 0;
        int16_t code = 0;
    };
    Entry entries[entry_count];
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
    LabelIndex labels;

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
