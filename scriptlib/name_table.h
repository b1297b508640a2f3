// The name table: every word and operator of QSL that is not a variable.
// Codes are positions in the table, which is sorted by name in byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qsl {

// Entry classes.
constexpr int class_operator = 0;
constexpr int class_unary = 1;
constexpr int class_function = 2;
constexpr int class_constant = 3;
constexpr int class_command = 4;
constexpr int class_comparison = 5;
constexpr int class_special = 6;
constexpr int class_keyword = 8;
constexpr int class_reserved = 255;  // keeps a code free; never matched
constexpr int class_disabled = 0x2000;

struct NameEntry {
    uint16_t code;
    uint16_t cls;
    uint16_t count;
    uint16_t mask;
    uint16_t length;
    const char* name;
};

const NameEntry& name_entry(int code);  // 0 <= code < 493

// Codes the language core acts on.
constexpr int code_not = 0;
constexpr int code_ne = 1;
constexpr int code_bit_and = 2;
constexpr int code_and = 3;
constexpr int code_left_paren = 4;
constexpr int code_right_paren = 5;
constexpr int code_mul = 6;
constexpr int code_pow = 7;
constexpr int code_plus = 8;
constexpr int code_comma = 9;
constexpr int code_minus = 10;
constexpr int code_div = 11;
constexpr int code_lt = 14;
constexpr int code_shl = 15;
constexpr int code_le = 16;
constexpr int code_ne2 = 17;
constexpr int code_assign = 18;
constexpr int code_eq = 19;
constexpr int code_gt = 20;
constexpr int code_ge = 21;
constexpr int code_shr = 22;
constexpr int code_bit_xor = 113;
constexpr int code_bit_or = 490;
constexpr int code_or = 491;
constexpr int code_bit_not = 492;
constexpr int code_mod = 327;
constexpr int code_by = 176;
constexpr int code_break = 174;
constexpr int code_case = 178;
constexpr int code_continue = 185;
constexpr int code_else = 229;
constexpr int code_end = 230;
constexpr int code_endfor = 231;
constexpr int code_endif = 232;
constexpr int code_endselect = 233;
constexpr int code_endswitch = 235;
constexpr int code_endwhile = 236;
constexpr int code_for = 284;
constexpr int code_gosub = 287;
constexpr int code_if = 291;
constexpr int code_next = 336;
constexpr int code_return = 375;
constexpr int code_select = 387;
constexpr int code_switch = 425;
constexpr int code_then = 432;
constexpr int code_to = 444;
constexpr int code_while = 449;
constexpr int code_beep = 130;
constexpr int code_execute = 242;
constexpr int code_exit = 244;
constexpr int code_goto = 288;
constexpr int code_yield = 488;
constexpr int code_drop = 227;
constexpr int code_isdefined = 304;
constexpr int code_errormode = 240;
constexpr int code_lasterror = 319;
constexpr int code_debug = 195;
constexpr int code_debugtrace = 197;
constexpr int code_decimals = 198;
constexpr int code_exclusive = 241;
constexpr int code_terminate = 428;
constexpr int code_addextender = 117;
constexpr int code_call = 177;
constexpr int code_intcontrol = 303;
constexpr int code_strcat = 404;
constexpr int code_strlen = 416;
constexpr int code_ole_reference = 24;  // class 1: a word followed by "."
constexpr int count_own_arguments = 100;

// The code of a built-in word (lower case, whole word), or -1.
int lookup_word(std::string_view word);
// The longest operator or punctuation at text; its length goes to length.
int lookup_operator(const char* text, int& length);

}  // namespace qsl
