// Calling functions of other libraries. dllload opens a shared library with
// dlopen and gives a handle; dllcall calls one of its functions; dllfree
// closes it. dllcall's arguments name their kinds before a colon:
//     dllcall(library, long:"add3", long:1, word:2, lpstr:"text", double:2.5)
// where the library is a handle from dllload or a file name (opened for the
// call only). Kinds: long (32-bit integer), word (16-bit unsigned), lpstr
// (a pointer to a NUL-terminated copy of the text), lpnull (a null pointer)
// and double; the return kind may also be void. The function is called with
// the platform's C convention: up to eight integer or pointer arguments and
// up to eight doubles, which is what the x86-64 and AArch64 conventions pass
// in registers.
#include <dlfcn.h>

#include <cstring>
#include <string>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/name_table.h"
#include "scriptlib/script_files.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/expressions.h"

namespace qsl {
namespace {

constexpr int32_t handle_base = 0x0D110000;
constexpr int max_words = 8;
constexpr int max_doubles = 8;
constexpr int code_colon = 12;  // ":" of the name table

enum class Kind { long_kind, word_kind, lpstr_kind, lpnull_kind, double_kind, void_kind, unknown };

Kind kind_of(std::string_view word) {
    std::string lower;
    for (char ch : word) lower += char(std::tolower(static_cast<unsigned char>(ch)));
    if (lower == "long") return Kind::long_kind;
    if (lower == "word") return Kind::word_kind;
    if (lower == "lpstr") return Kind::lpstr_kind;
    if (lower == "lpnull") return Kind::lpnull_kind;
    if (lower == "double") return Kind::double_kind;
    if (lower == "void") return Kind::void_kind;
    return Kind::unknown;
}

void* open_library(Call& call, const std::string& name, int error) {
    if (!programs_allowed()) fail_because(call.c, error, "this host does not let scripts load libraries");
    std::string path = name.find('/') != std::string::npos || name.find('\\') != std::string::npos
                           ? script_path(name).string()
                           : name;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        fail_because(call.c, error, why ? why : name);
    }
    return library;
}

int32_t slot_index(Context& c, int32_t handle) {
    int32_t index = handle - handle_base;
    if (index < 0 || index >= library_slot_count || !c.in->libraries[index]) return -1;
    return index;
}

int32_t handle_of(Value& v) {
    if (v.is_int()) return v.r.int_value;
    int32_t n = 0;
    return v.is_string() && string_to_integer(v.text(), n) ? n : -1;
}

void dll_load(Call& call) {
    Instance& in = *call.c.in;
    int free_slot = -1;
    for (int i = 0; i < library_slot_count && free_slot < 0; ++i)
        if (!in.libraries[i]) free_slot = i;
    if (free_slot < 0) fail_because(call.c, errors::dll_load_failed, "16 libraries are loaded already");
    in.libraries[free_slot] = reinterpret_cast<uintptr_t>(open_library(call, call.text(0), errors::dll_load_failed));
    call.out.set_int(handle_base + free_slot);
}

void dll_free(Call& call) {
    int32_t handle = handle_of(call.args[0]);
    int32_t index = slot_index(call.c, handle);
    if (index < 0) fail(errors::dll_free_bad_handle);
    ::dlclose(reinterpret_cast<void*>(call.c.in->libraries[index]));
    call.c.in->libraries[index] = 0;
    call.out.set_int(1);
}

// "kind:" before an argument ("lpnull" stands alone); leaves the token after
// the colon, or after lpnull, as the current token.
Kind read_kind(Context& c) {
    if (next_string_token(c) != token_word) fail(errors::dll_call_syntax);
    Kind kind = kind_of(c.in->token);
    next_token(c);
    if (kind == Kind::lpnull_kind && !token_is(c, code_colon)) return kind;
    if (!token_is(c, code_colon)) fail(errors::dll_call_syntax);
    next_token(c);
    return kind;
}

struct Arguments {
    intptr_t words[max_words] = {};
    double doubles[max_doubles] = {};
    int word_count = 0, double_count = 0;
    std::vector<std::string> texts;  // the lpstr copies, alive for the call
    std::vector<int> text_words;     // the word each copy goes to
};

void add_argument(Call& call, Kind kind, Value& v, Arguments& a) {
    if (kind == Kind::double_kind) {
        if (a.double_count == max_doubles) fail(errors::dll_call_too_many);
        if (!to_float(v)) fail(errors::not_a_float);
        a.doubles[a.double_count++] = v.r.float_value;
        return;
    }
    if (a.word_count == max_words) fail(errors::dll_call_too_many);
    switch (kind) {
        case Kind::long_kind:
        case Kind::word_kind:
            if (!to_integer(v)) fail(errors::not_a_number);
            a.words[a.word_count++] = kind == Kind::word_kind ? intptr_t(uint16_t(v.r.int_value)) : intptr_t(v.r.int_value);
            return;
        case Kind::lpstr_kind:
            to_string(v);
            a.texts.emplace_back(v.text());
            a.text_words.push_back(a.word_count++);  // its pointer is set once every copy is made
            return;
        case Kind::lpnull_kind:
            a.words[a.word_count++] = 0;
            return;
        default: fail_because(call.c, errors::dll_call_bad_argument, "void is a return kind only; long, word, lpstr, lpnull and double are argument kinds");
    }
}

using WordFunction = intptr_t (*)(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                  double, double, double, double, double, double, double, double);
using DoubleFunction = double (*)(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                  double, double, double, double, double, double, double, double);

// DllCall(library, kind:"function", kind:argument, ...).
void dll_call(Call& call) {
    Context& c = call.c;
    if (c.in->token_class != token_name || c.in->token_code != code_left_paren) fail(errors::opening_parenthesis_missing);
    next_token(c);
    Value library(c);
    evaluate(c, library, false);
    if (!token_is(c, code_comma)) fail(errors::dll_call_syntax);
    Kind result_kind = read_kind(c);
    Value function(c);
    evaluate(c, function, false);
    to_string(function);
    std::string function_name = function.text();
    // Every argument is read before any is judged, so that an error leaves
    // the statement at its end.
    std::vector<std::pair<Kind, Value>> given;
    while (token_is(c, code_comma)) {
        Kind kind = read_kind(c);
        given.emplace_back(kind, Value(c));
        if (kind != Kind::lpnull_kind) evaluate(c, given.back().second, false);
    }
    if (!token_is(c, code_right_paren)) fail(errors::dll_call_syntax);
    next_token(c);
    if (result_kind == Kind::lpnull_kind || result_kind == Kind::unknown) fail(errors::dll_call_bad_result);
    Arguments a;
    for (auto& [kind, v] : given) add_argument(call, kind, v, a);

    void* handle = nullptr;
    bool opened_here = false;
    int32_t index = slot_index(c, handle_of(library));
    if (index >= 0) {
        handle = reinterpret_cast<void*>(c.in->libraries[index]);
    } else if (library.is_string() && !library.is_int()) {
        handle = open_library(call, library.text(), errors::dll_not_loaded);
        opened_here = true;
    } else {
        fail(errors::dll_call_bad_handle);
    }
    struct Closer {
        void* handle;
        bool close;
        ~Closer() {
            if (close) ::dlclose(handle);
        }
    } closer{handle, opened_here};
    void* entry = ::dlsym(handle, function_name.c_str());
    if (!entry) fail_because(c, errors::dll_call_no_function, function_name);

    for (size_t i = 0; i < a.texts.size(); ++i)
        a.words[a.text_words[i]] = reinterpret_cast<intptr_t>(a.texts[i].data());
    const intptr_t* w = a.words;
    const double* d = a.doubles;
    if (result_kind == Kind::double_kind) {
        auto f = reinterpret_cast<DoubleFunction>(entry);
        return call.out.set_float(f(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]));
    }
    auto f = reinterpret_cast<WordFunction>(entry);
    intptr_t result = f(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
    switch (result_kind) {
        case Kind::long_kind: return call.out.set_int(int32_t(result));
        case Kind::word_kind: return call.out.set_int(int32_t(uint16_t(result)));
        case Kind::lpstr_kind: return call.out.set_string(result ? reinterpret_cast<const char*>(result) : "");
        default: return call.out.set_int(0);
    }
}

void dll_hinst(Call& call) {
    fail_because(call.c, errors::dll_not_loaded, "Linux libraries have no instance handle; dllload gives a handle");
}
void dll_hwnd(Call& call) {
    fail_because(call.c, errors::dll_not_loaded, "no window of this library belongs to a library");
}

// Teardown closes every library the instance loaded.
void free_script_libraries(Context& c) {
    for (uintptr_t& library : c.in->libraries) {
        if (library) ::dlclose(reinterpret_cast<void*>(library));
        library = 0;
    }
}

const Builtin functions[] = {
    {"dllcall", dll_call}, {"dllfree", dll_free}, {"dllhinst", dll_hinst},
    {"dllhwnd", dll_hwnd}, {"dllload", dll_load},
};

[[maybe_unused]] const bool registered = register_family(functions);
[[maybe_unused]] const bool torn_down = register_teardown(free_script_libraries);

}  // namespace
}  // namespace qsl
