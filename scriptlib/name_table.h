// The name table: every word and operator of QSL that is not a variable.
// Codes are positions in the table, which is sorted by name in byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qsl {

// Entry classes.
constexpr int kClassOperator = 0;
constexpr int kClassUnary = 1;
constexpr int kClassFunction = 2;
constexpr int kClassConstant = 3;
constexpr int kClassCommand = 4;
constexpr int kClassComparison = 5;
constexpr int kClassSpecial = 6;
constexpr int kClassKeyword = 8;
constexpr int kClassReserved = 255;  // keeps a code free; never matched
constexpr int kClassDisabled = 0x2000;

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
constexpr int kNot = 0;
constexpr int kNe = 1;
constexpr int kBitAnd = 2;
constexpr int kAnd = 3;
constexpr int kLParen = 4;
constexpr int kRParen = 5;
constexpr int kMul = 6;
constexpr int kPow = 7;
constexpr int kPlus = 8;
constexpr int kComma = 9;
constexpr int kMinus = 10;
constexpr int kDiv = 11;
constexpr int kLt = 14;
constexpr int kShl = 15;
constexpr int kLe = 16;
constexpr int kNe2 = 17;
constexpr int kAssign = 18;
constexpr int kEq = 19;
constexpr int kGt = 20;
constexpr int kGe = 21;
constexpr int kShr = 22;
constexpr int kBitXor = 113;
constexpr int kBitOr = 490;
constexpr int kOr = 491;
constexpr int kBitNot = 492;
constexpr int kMod = 327;
constexpr int kBy = 176;
constexpr int kBreak = 174;
constexpr int kCase = 178;
constexpr int kContinue = 185;
constexpr int kElse = 229;
constexpr int kEnd = 230;
constexpr int kEndfor = 231;
constexpr int kEndif = 232;
constexpr int kEndselect = 233;
constexpr int kEndswitch = 235;
constexpr int kEndwhile = 236;
constexpr int kFor = 284;
constexpr int kGosub = 287;
constexpr int kIf = 291;
constexpr int kNext = 336;
constexpr int kReturn = 375;
constexpr int kSelect = 387;
constexpr int kSwitch = 425;
constexpr int kThen = 432;
constexpr int kTo = 444;
constexpr int kWhile = 449;
constexpr int kBeep = 130;
constexpr int kExecute = 242;
constexpr int kExit = 244;
constexpr int kGoto = 288;
constexpr int kYield = 488;
constexpr int kDrop = 227;
constexpr int kIsdefined = 304;
constexpr int kErrormode = 240;
constexpr int kLasterror = 319;
constexpr int kDebug = 195;
constexpr int kDebugtrace = 197;
constexpr int kDecimals = 198;
constexpr int kExclusive = 241;
constexpr int kTerminate = 428;
constexpr int kAddextender = 117;
constexpr int kCall = 177;
constexpr int kIntcontrol = 303;
constexpr int kStrcat = 404;
constexpr int kStrlen = 416;
constexpr int kOleReference = 24;  // class 1: a word followed by "."
constexpr int kCountOwnArguments = 100;

// The code of a built-in word (lower case, whole word), or -1.
int lookup_word(std::string_view word);
// The longest operator or punctuation at text; its length goes to length.
int lookup_operator(const char* text, int& length);

}  // namespace qsl
