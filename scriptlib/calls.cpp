// A function name is followed by "(", exactly its number of arguments
// separated by ",", and ")". Functions that read their own arguments get the
// scan position instead.
#include "scriptlib/calls.h"

#include <cstdlib>
#include <cstring>
#include <deque>

#include "scriptlib/controls.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/name_table.h"
#include "scriptlib/string_heap.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/variables.h"
#include "scriptlib/expressions.h"

namespace qsl {
namespace {

struct Answer {
    Context* c;
    Value* out;
};

// Entry of a code: built-in, extender or host.
struct Entry {
    int cls, count, mask;
};

Entry entry_of(const Context& c, int code) {
    if (code >= extender_code_base) {
        const QslNameEntry& e = c.in->extender_table[code - extender_code_base];
        return {outside_class(e.cls), e.count, e.mask};
    }
    if (code >= host_code_base) {
        const QslNameEntry& e = reinterpret_cast<const QslNameEntry*>(c.in->host_table)[code - host_code_base];
        return {outside_class(e.cls), e.count, e.mask};
    }
    const NameEntry& e = name_entry(code);
    return {token_entry_class(c), e.count, e.mask};
}

// Why a string is no float: too many dots, too many exponents, or else.
int float_conversion_error(const Value& v) {
    if (v.is_string() && !v.is_object()) {
        int dots = 0, exponents = 0;
        for (const char* p = v.text(); *p; ++p) {
            dots += *p == '.';
            exponents += *p == 'e' || *p == 'E';
        }
        if (dots > 1) return errors::fp_too_many_dots;
        if (exponents > 1) return errors::fp_too_many_exponents;
    }
    return errors::not_a_float;
}

void convert_argument(Value& v, int index, int mask) {
    if (mask & (1 << index)) {
        to_string(v);
    } else if (mask & (1 << (index + 8))) {
        if (!to_float(v)) fail(float_conversion_error(v));
    } else if (!to_integer(v)) {
        // A float that is a whole number in range still makes an integer.
        if (!to_float(v) || !to_integer(v)) fail(errors::not_a_number);
    }
}

// Drop and IsDefined take variable names, not values.
void call_special(Context& c, int code, Value& out) {
    if (next_token(c) != token_name || c.in->token_code != code_left_paren) fail(errors::opening_parenthesis_missing);
    if (code == code_isdefined) {
        if (next_token(c) != token_variable) fail(errors::isdefined_not_variable);
        Slot s = read_slot(c, c.in->token_code);
        out.set_int((s.type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING)) != 0);
        next_token(c);
        if (!token_is(c, code_right_paren)) fail(errors::wrong_argument_count);
        next_token(c);
        return;
    }
    for (;;) {
        if (next_token(c) != token_variable) fail(errors::drop_not_variable);
        drop_variable(c, c.in->token_code);
        next_token(c);
        if (token_is(c, code_right_paren)) break;
        if (!token_is(c, code_comma)) fail(errors::illegal_delimiter);
    }
    next_token(c);
    out.set_int(1);
}

uintptr_t heap_base(Context& c) { return reinterpret_cast<uintptr_t>(c.heap); }

int call_entry(Context& c, QslExtenderProc proc, uintptr_t host_word, intptr_t request,
               uintptr_t slot_data, std::vector<Value>& args, Value& out) {
    std::vector<QslValue> records(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        records[i] = args[i].r;
        records[i].type &= ~borrowed;
    }
    Answer answer{&c, &out};
    c.in->extender_error_text[0] = '\0';
    return proc(host_word, c.in->parent, c.in->interface_word, QSL_EXTENDER_MAGIC, request,
                ViperAnswer, reinterpret_cast<uintptr_t>(&answer), slot_data,
                reinterpret_cast<uintptr_t>(records.data()), records.size(), heap_base(c), c.handle);
}

// A minor error of a function leaves its result (integer 0 unless the
// function set one) for the expression to go on with; the statement reports
// the error when it ends, so under @OFF the assignment still takes place.
void keep_minor_error(Context& c, const ScriptError& error, Value& out) {
    if (error.number <= 0 || error.number > errors::minor_max) throw error;
    if (!c.in->last_error) c.in->last_error = error.number;
    if (!out.is_numeric() && !out.is_string()) out.set_int(0);
}

void run_handler(Context& c, int code, std::vector<Value>& args, Value& out) {
    try {
        if (code >= extender_code_base) call_extender(c, code, args, out);
        else if (code >= host_code_base) call_host(c, code, args, out);
        else call_builtin(c, code, args, out);
    } catch (const ScriptError& error) {
        keep_minor_error(c, error, out);
    }
}

thread_local std::deque<std::vector<Value>> argument_lists;
thread_local size_t argument_depth = 0;

}  // namespace

ArgumentList::ArgumentList() {
    if (argument_lists.size() <= argument_depth) argument_lists.emplace_back();
    values_ = &argument_lists[argument_depth++];
}

ArgumentList::~ArgumentList() {
    values_->clear();
    --argument_depth;
}

int extender_result_error(Context& c, int result) {
    if (result >= 0) return 0;
    int error;
    switch (result) {
        case -1: error = errors::extender_minor; break;
        case -2: error = errors::extender_moderate; break;
        case -3: error = errors::extender_severe; break;
        case -4: return QSL_STOP_QUIETLY;
        case -5: return QSL_USER_CANCEL;
        case -6: return QSL_STOP_REQUESTED;
        default: return errors::extender_no_memory;
    }
    // The extender's own number leads its error text up to a ":".
    const char* text = c.in->extender_error_text;
    const char* colon = static_cast<const char*>(std::memchr(text, ':', strnlen(text, 11)));
    int own = 999;
    if (colon && colon > text) {
        char digits[12] = {};
        std::memcpy(digits, text, size_t(colon - text));
        char* end;
        long n = std::strtol(digits, &end, 10);
        if (end != digits) own = int(n);
    }
    c.in->extender_error = own;
    std::snprintf(c.in->error_detail, sizeof c.in->error_detail, "%s", text);
    return error;
}

void call_host(Context& c, int code, std::vector<Value>& args, Value& out) {
    if (!c.in->callback) fail(errors::function_not_defined);
    auto proc = reinterpret_cast<QslExtenderProc>(c.in->callback);
    int result = call_entry(c, proc, c.in->host_data, code - host_code_base, 0, args, out);
    if (int error = extender_result_error(c, result)) fail(error);
}

void call_extender(Context& c, int code, std::vector<Value>& args, Value& out) {
    const QslNameEntry& e = c.in->extender_table[code - extender_code_base];
    int slot = (e.code - 2000) / 100;
    int number = (e.code - 2000) % 100;
    if (slot < 0 || slot >= c.in->extender_count || !c.in->extenders[slot].entry) {
        show_box("Internal Error", "Could not access Extender Entry 0x03", QSL_MB_OK);
        fail(QSL_STOP_QUIETLY);
    }
    auto proc = reinterpret_cast<QslExtenderProc>(c.in->extenders[slot].entry);
    int result = call_entry(c, proc, c.in->host_data, number, c.in->extenders[slot].slot_data, args, out);
    if (int error = extender_result_error(c, result)) fail(error);
}

int notify_host(Context& c, intptr_t request, const char* what, uintptr_t a10, uintptr_t a11,
                uintptr_t a12) {
    if (!c.in->callback) return 0;
    Value out(c);
    Answer answer{&c, &out};
    auto proc = reinterpret_cast<QslExtenderProc>(c.in->callback);
    int result = proc(c.in->host_data, c.in->parent, c.in->interface_word, QSL_EXTENDER_MAGIC, request,
                      ViperAnswer, reinterpret_cast<uintptr_t>(&answer), 0,
                      reinterpret_cast<uintptr_t>(what), a10, a11, a12);
    // A directory in the answer becomes the current directory.
    if (out.is_string() && *out.text()) change_directory(out.text());
    return result;
}

void call_function(Context& c, Value& out) {
    int code = c.in->token_code;
    Entry e = entry_of(c, code);
    if (e.cls & class_disabled) fail(errors::function_not_available);
    if ((e.cls & ~class_disabled) == class_special) {
        call_special(c, code, out);
        return;
    }
    if (e.count > max_arguments && e.count != count_own_arguments) fail(errors::too_many_arguments);
    out.set_int(0);
    if (e.count == count_own_arguments) {
        next_token(c);
        try {
            call_own_arguments(c, code, out);
        } catch (const ScriptError& error) {
            keep_minor_error(c, error, out);
        }
        return;
    }
    if (next_token(c) != token_name || c.in->token_code != code_left_paren) fail(errors::opening_parenthesis_missing);
    next_token(c);
    ArgumentList list;
    std::vector<Value>& args = list.values();
    if (e.count == 0) {
        if (!token_is(c, code_right_paren)) fail(errors::wrong_argument_count);
    }
    for (int i = 0; i < e.count; ++i) {
        args.emplace_back(c);
        evaluate(c, args.back(), false);
        if (i + 1 < e.count) {
            if (!token_is(c, code_comma)) fail(errors::illegal_delimiter);
            next_token(c);
        } else if (!token_is(c, code_right_paren)) {
            fail(token_is(c, code_comma) ? errors::illegal_delimiter : errors::wrong_argument_count);
        }
    }
    next_token(c);
    for (int i = 0; i < e.count; ++i) convert_argument(args[size_t(i)], i, e.mask);
    run_handler(c, code, args, out);
    if (out.is_numeric() && out.is_string()) {
        // A numeric result drops any string it carried.
        QslValue numeric = out.r;
        out.release();
        out.r = numeric;
        out.r.type &= ~uint32_t(QSL_TYPE_STRING | borrowed);
        out.r.string_offset = 0;
    }
}

}  // namespace qsl

extern "C" QSL_API int ViperAnswer(intptr_t code, uintptr_t, uintptr_t answer_context, uintptr_t string_flag,
                                   intptr_t int_value, const char* text) {
    auto* answer = reinterpret_cast<qsl::Answer*>(answer_context);
    if (!answer || !answer->c) return int(code);
    qsl::Context& c = *answer->c;
    if (code < 0) {
        std::snprintf(c.in->extender_error_text, sizeof c.in->extender_error_text, "%s",
                      string_flag && text ? text : "Extender Error: Undefined error occurred");
        return int(code);
    }
    try {
        if (string_flag) answer->out->set_string(text ? text : "");
        else answer->out->set_int(int32_t(int_value));
    } catch (...) {
        return -4;
    }
    return int(code);
}
