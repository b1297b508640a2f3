// Statement dispatch. Structure keywords are acted on even inside a skipped
// part, so that the control stack stays right; everything else is skipped.
#include "scriptlib/statements.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "scriptlib/calls.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/expressions.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/name_table.h"
#include "scriptlib/run_loop.h"
#include "scriptlib/script_text.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

void note(Context& c, const char* text) {
    if (c.tracing) c.outcome = Outcome{true, text};
}

void note_value(Context& c, const char* prefix, Value& v) {
    if (!c.tracing) return;
    std::string shown = display(v);
    if (v.is_string() && !v.is_numeric()) shown = "\"" + shown + "\"";
    c.outcome = Outcome{true, std::string(prefix) + shown};
}

bool at_end(const Context& c) { return c.in->token_class == kTokenEnd; }

// Evaluates the rest of the statement, which must be used whole.
void whole_expression(Context& c, Value& v) {
    next_token(c);
    evaluate(c, v, false);
    if (!at_end(c)) fail(3074);
}

int32_t integer_condition(Value& v) {
    if (!to_integer(v)) fail(3057);
    return v.r.int_value;
}

// The rest of the line after the current token, blanks skipped; -1 if none.
int rest_of_line(const Context& c) {
    int p = c.in->scan;
    while (c.in->line[p] == ' ' || c.in->line[p] == '\t') ++p;
    char ch = c.in->line[p];
    return ch == '\0' || ch == ';' ? -1 : p;
}

int then_or_else(Context& c, bool is_else, Place& place) {
    Instance& in = *c.in;
    bool skipping = c.skip_state() != 0;
    int rest = at_end(c) ? -1 : rest_of_line(c);
    if (rest >= 0) {
        if (in.last_if == -1 && !skipping) fail(3050);
        bool taken = is_else ? in.last_if == 0 : in.last_if == 1;
        if (taken && !skipping) {
            int result = execute_statement(c, rest, place);
            if (c.tracing) {
                std::string shown = c.outcome.text;
                if (shown.rfind("VALUE=>", 0) == 0) shown.erase(0, 7);
                c.outcome = Outcome{true, "==>TRUE=>" + shown};
            }
            return result;
        }
        note(c, "==>FALSE=> (skipped)");
        return 1;
    }
    if (!is_else) {
        int16_t state;
        if (skipping) {
            state = kSkipInside;
        } else {
            if (in.last_if == -1) fail(3050);
            state = in.last_if ? 0 : kSkipNotTaken;
        }
        c.push(kFrameIf, state, 0, 0);
        in.last_if = -1;
        note(c, state == 0 ? "IF DO==>TRUE" : "IF DO==>FALSE");
        return 1;
    }
    Frame* top = c.top();
    if (!top) fail(3354);
    if (top->kind != kFrameIf) fail(3358);
    if (top->state == 0 || top->state == kSkipNotTaken) top->state ^= kSkipNotTaken;
    top->kind = kFrameIfElse;
    in.last_if = -1;
    note(c, top->state == 0 ? "ELSE DO==>TRUE" : "ELSE DO==>FALSE");
    return 1;
}

int statement_if(Context& c, Place& place) {
    Instance& in = *c.in;
    if (c.skip_state()) {
        // Inside a skipped part the condition is only read past.
        try {
            while (next_token(c) != kTokenEnd && !token_is(c, kThen)) {
            }
        } catch (const ScriptError&) {
            in.token_class = kTokenEnd;
        }
        return then_or_else(c, false, place);
    }
    Value condition(c);
    next_token(c);
    evaluate(c, condition, false);
    if (!at_end(c) && !token_is(c, kThen)) fail(3072);
    in.last_if = integer_condition(condition) != 0;
    return then_or_else(c, false, place);
}

Frame& closing_frame(Context& c) {
    Frame* top = c.top();
    if (!top) fail(3354);
    return *top;
}

int statement_endif(Context& c) {
    Frame& top = closing_frame(c);
    if (top.kind != kFrameIf && top.kind != kFrameIfElse) fail(3357);
    int16_t bits = top.state & (kSkipContinue | kSkipBreak);
    --c.in->depth;
    if (bits) {
        Frame* outer = c.top();
        if (!outer) fail(3359);
        outer->state |= bits;
    }
    note(c, "END OPERATOR");
    return 1;
}

int statement_while(Context& c, Place& place) {
    if (c.skip_state()) {
        c.push(kFrameWhile, kSkipInside, int32_t(place.line_start), 0);
        note(c, "WHILE==>FALSE");
        return 1;
    }
    Value condition(c);
    whole_expression(c, condition);
    bool go = integer_condition(condition) != 0;
    c.push(kFrameWhile, go ? 0 : kSkipNotTaken, int32_t(place.line_start), 0);
    note(c, go ? "WHILE==>TRUE" : "WHILE==>FALSE");
    return 1;
}

int statement_endwhile(Context& c, Place& place) {
    Frame& top = closing_frame(c);
    if (top.kind != kFrameWhile) fail(3357);
    if (!(top.state & (kSkipNotTaken | kSkipInside | kSkipBreak))) place.next = uint32_t(top.position);
    --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

int32_t switch_value(Context& c) {
    Value v(c);
    whole_expression(c, v);
    if (v.is_float() && !v.is_int()) fail(3364);
    if (!to_integer(v)) fail(3364);
    return v.r.int_value;
}

int statement_switch(Context& c) {
    if (c.skip_state()) {
        c.push(kFrameSwitch, kSkipInside, 0, 0);
        note(c, "SWITCH==>");
        return 1;
    }
    int32_t value = switch_value(c);
    c.push(kFrameSwitch, kSkipNotTaken, int32_t(uint32_t(value) >> 16) , int16_t(uint32_t(value) & 0xFFFF));
    if (c.tracing) c.outcome = Outcome{true, "SWITCH==>" + std::to_string(value)};
    return 1;
}

int statement_case(Context& c) {
    Frame* top = c.top();
    if (!top || top->kind != kFrameSwitch) fail(3365);
    if (top->state != kSkipNotTaken && top->state != kSkipContinue) {
        note(c, "CASE FALSE==>");
        return 1;
    }
    int32_t value = switch_value(c);
    int32_t wanted = int32_t((uint32_t(uint16_t(top->position)) << 16) | uint16_t(top->extra));
    if (value == wanted) top->state = 0;
    if (c.tracing) c.outcome = Outcome{true, std::string(value == wanted ? "CASE TRUE==>" : "CASE FALSE==>") + std::to_string(value)};
    return 1;
}

int statement_endswitch(Context& c) {
    Frame& top = closing_frame(c);
    if (top.kind != kFrameSwitch) fail(3357);
    --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

void numeric_or_fail(Value& v) {
    if (!v.is_numeric()) fail(3361);
}

// Where the TO keyword lies in the buffer. A substituted line no longer
// matches the buffer, so there the keyword is looked for in the raw text.
int32_t to_position(Context& c, const Place& place) {
    if (!place.substituted) return int32_t(place.line_start) + c.in->token_start;
    const char* text = c.buffer.text;
    uint32_t p = place.line_start;
    bool after_assign = false;
    char quote = 0;
    for (; p + 1 < c.buffer.length && text[p] != '\r' && text[p] != '\n' && text[p]; ++p) {
        char ch = text[p];
        if (quote) {
            if (ch == quote) quote = 0;
            continue;
        }
        if (ch == '"' || ch == '\'' || ch == '`') quote = ch;
        else if (ch == '=') after_assign = true;
        else if (after_assign && (ch == 't' || ch == 'T') && (text[p + 1] == 'o' || text[p + 1] == 'O') &&
                 (text[p - 1] == ' ' || text[p - 1] == '\t') &&
                 (text[p + 2] == ' ' || text[p + 2] == '\t'))
            return int32_t(p);
    }
    return int32_t(place.line_start) + c.in->token_start;
}

int to_clause(Context& c, bool jumped) {
    Frame* top = c.top();
    if (!top || top->kind != kFrameFor) fail(3362);
    int index = top->extra;
    Value end(c);
    next_token(c);
    evaluate(c, end, false);
    numeric_or_fail(end);
    Value step(c);
    if (token_is(c, kBy)) {
        next_token(c);
        evaluate(c, step, false);
        numeric_or_fail(step);
        if (!at_end(c)) fail(3074);
    } else {
        if (!at_end(c)) fail(3074);
        step.set_int(1);
        step.r.float_value = 1.0;
        step.r.type = QSL_TYPE_INTEGER | QSL_TYPE_FLOAT;
    }
    Value counter(c);
    load_variable(c, index, counter);
    numeric_or_fail(counter);
    if (jumped) {
        Value sum(c);
        sum.r = counter.r;
        sum.r.type &= ~uint32_t(QSL_TYPE_STRING | kBorrowed);
        Value increment(c);
        increment.r = step.r;
        if (sum.is_int() && increment.is_int()) increment.r.type = QSL_TYPE_INTEGER;
        apply_binary(kPlus, sum, increment);
        assign_variable(c, index, sum);
        load_variable(c, index, counter);
    }
    auto as_double = [](const Value& v) { return v.is_int() ? double(v.r.int_value) : v.r.float_value; };
    bool down = step.is_int() ? step.r.int_value < 0 : step.r.float_value < 0;
    bool go;
    if (end.is_int() && counter.is_int()) go = down ? end.r.int_value <= counter.r.int_value : end.r.int_value >= counter.r.int_value;
    else go = down ? as_double(end) <= as_double(counter) : as_double(end) >= as_double(counter);
    top = c.top();
    top->state = go ? 0 : kSkipNotTaken;
    note_value(c, go ? "FOR TRUE==>" : "FOR FALSE==>", counter);
    return 1;
}

int statement_for(Context& c, const Place& place) {
    if (c.skip_state()) {
        c.push(kFrameFor, kSkipInside, 0, 0);
        note(c, "FOR FALSE==>");
        return 1;
    }
    if (next_token(c) != kTokenVariable) fail(3360);
    int index = c.in->token_code;
    if (next_token(c) != kTokenName || c.in->token_code != kAssign) fail(3360);
    next_token(c);
    Value start(c);
    evaluate(c, start, false);
    numeric_or_fail(start);
    assign_variable(c, index, start);
    if (!token_is(c, kTo)) fail(3360);
    c.push(kFrameFor, 0, to_position(c, place), int16_t(index));
    return to_clause(c, false);
}

int statement_next(Context& c, Place& place) {
    Frame& top = closing_frame(c);
    if (top.kind != kFrameFor) fail(3357);
    if (!(top.state & (kSkipNotTaken | kSkipInside | kSkipBreak))) place.next = uint32_t(top.position);
    else --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

int statement_break(Context& c, bool is_break) {
    Frame* top = c.top();
    if (!top) fail(is_break ? 3355 : 3356);
    if (top->state) {
        note(c, is_break ? "BREAK IGNORED" : "CONTINUE IGNORED");
        return 1;
    }
    top->state = is_break ? kSkipBreak : kSkipContinue;
    note(c, is_break ? "BREAKING" : "CONTINUING");
    return 1;
}

// GOTO and GOSUB: the label, then nothing else.
void jump(Context& c, int stmt, Place& place, bool cache) {
    int cls = next_string_token(c);
    if (cls == kTokenEnd) fail(3071);
    if (cls != kTokenWord) fail(3073);
    std::string label(c.in->token, size_t(c.in->token_length));
    if (next_token(c) != kTokenEnd) fail(3074);
    uint32_t target = find_label(c, label);
    if (cache && !place.substituted) cache_label(c, place.line_start + uint32_t(stmt), target);
    place.next = target;
}

void push_gosub(Context& c, uint32_t next) {
    int16_t kind = c.in->last_if == 0 ? kFrameGosubFalse : c.in->last_if == 1 ? kFrameGosubTrue : kFrameGosubNone;
    c.push(kind, 0, int32_t(next), 0);
    c.in->last_if = -1;
}

int statement_return(Context& c, Place& place) {
    Instance& in = *c.in;
    for (int i = in.depth - 1; i >= 0; --i) {
        const Frame& f = in.stack[i];
        if (f.kind == kFrameCall) {
            in.depth = i + 1;
            note(c, "RETURN");
            return -1;
        }
        if (f.kind == kFrameGosubFalse || f.kind == kFrameGosubTrue || f.kind == kFrameGosubNone) {
            place.next = uint32_t(f.position);
            in.last_if = f.kind == kFrameGosubFalse ? 0 : f.kind == kFrameGosubTrue ? 1 : -1;
            in.depth = i;
            note(c, "RETURN");
            return 1;
        }
    }
    note(c, "RETURN");
    return -1;
}

int keyword(Context& c, int code, int stmt, Place& place) {
    Instance& in = *c.in;
    if (code == kEndfor) code = kNext;
    else if (code == kSelect) code = kSwitch;
    else if (code == kEndselect) code = kEndswitch;
    if (code == kEnd) {
        next_token(c);
        int what = in.token_class == kTokenName ? in.token_code : -1;
        if (what == kIf) code = kEndif;
        else if (what == kWhile) code = kEndwhile;
        else if (what == kFor) code = kNext;
        else if (what == kSwitch || what == kSelect) code = kEndswitch;
        else fail(3363);
    }
    bool skipping = c.skip_state() != 0;
    switch (code) {
        case kIf: return statement_if(c, place);
        case kThen: return then_or_else(c, false, place);
        case kElse: return then_or_else(c, true, place);
        default: break;
    }
    in.last_if = -1;
    switch (code) {
        case kEndif: return statement_endif(c);
        case kWhile: return statement_while(c, place);
        case kEndwhile: return statement_endwhile(c, place);
        case kSwitch: return statement_switch(c);
        case kCase: return statement_case(c);
        case kEndswitch: return statement_endswitch(c);
        case kFor: return statement_for(c, place);
        case kTo: return to_clause(c, true);
        case kNext: return statement_next(c, place);
        case kBreak: return statement_break(c, true);
        case kContinue: return statement_break(c, false);
        case kGosub:
            if (skipping) {
                note(c, "STATEMENT SKIPPED");
                return 1;
            }
            push_gosub(c, place.next);
            jump(c, stmt, place, true);
            note(c, "GOSUB");
            return 1;
        case kReturn:
            if (skipping) {
                note(c, "STATEMENT SKIPPED");
                return 1;
            }
            return statement_return(c, place);
    }
    fail(3352);
}

int execute_rest(Context& c, Place& place) {
    int rest = rest_of_line(c);
    if (rest < 0) fail(3071);
    try {
        return execute_statement(c, rest, place);
    } catch (const ScriptError& e) {
        if (e.number >= 9000 && e.number != QSL_STOP_QUIETLY) throw;
        std::string message = "EXECUTE::" + error_text(e.number);
        if (show_box(c.in->line, message, QSL_MB_OKCANCEL) == QSL_ID_CANCEL) fail(QSL_STOP_QUIETLY);
        c.in->last_error = 0;
        return 1;
    }
}

int command(Context& c, int code, int stmt, Place& place) {
    Instance& in = *c.in;
    if (code >= kHostCodeBase) {
        std::vector<Value> none;
        Value out(c);
        if (code >= kExtenderCodeBase) call_extender(c, code, none, out);
        else call_host(c, code, none, out);
        note_value(c, "VALUE=>", out);
        return 1;
    }
    switch (code) {
        case kBeep:
            if (!in.silent) play_sound("");
            return 1;
        case kYield:
            pump_messages(c);
            return 1;
        case kExit:
            in.last_if = -1;
            fail(QSL_EXIT_EXECUTED);
        case kGoto:
            in.last_if = -1;
            jump(c, stmt, place, true);
            return 1;
        case kExecute:
            return execute_rest(c, place);
    }
    fail(3352);
}

// Inside a skipped part only structure keywords matter; other statements are
// passed over without reading them (and without declaring their variables).
bool starts_with_keyword(const Context& c, int stmt) {
    const char* s = c.in->line + stmt;
    while (*s == ' ' || *s == '\t') ++s;
    char word[16];
    size_t n = 0;
    for (; n < sizeof word; ++n) {
        char ch = s[n];
        if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
        if (!((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '@' || ch == '_')) break;
        word[n] = ch;
    }
    if (n == 0 || n == sizeof word) return false;
    int code = lookup_word(std::string_view(word, n));
    return code >= 0 && name_entry(code).cls == kClassKeyword;
}

}  // namespace

int execute_statement(Context& c, int stmt, Place& place) {
    Instance& in = *c.in;
    in.scan = stmt;
    unsigned char first = static_cast<unsigned char>(in.line[stmt]);
    bool skipping = c.skip_state() != 0;
    if (first == kCachedGoto || first == kCachedGosub) {
        if (skipping) {
            note(c, "STATEMENT SKIPPED");
            return 1;
        }
        uint32_t target = cached_target(in.line + stmt);
        if (first == kCachedGosub) {
            push_gosub(c, place.next);
            note(c, "GOSUB");
        }
        in.last_if = -1;
        place.next = target;
        return 1;
    }
    if (skipping && !starts_with_keyword(c, stmt)) {
        note(c, "STATEMENT SKIPPED");
        return 1;
    }
    int cls;
    try {
        cls = next_token(c);
    } catch (const ScriptError&) {
        if (!skipping) throw;
        note(c, "STATEMENT SKIPPED");
        return 1;
    }
    if (cls == kTokenEnd) fail(3071);
    if (cls == kTokenName) {
        int code = in.token_code;
        int entry_class = token_entry_class(c) & ~kClassDisabled;
        if (entry_class == kClassKeyword) return keyword(c, code, stmt, place);
        if (entry_class == kClassCommand) {
            if (skipping) {
                note(c, "STATEMENT SKIPPED");
                return 1;
            }
            return command(c, code, stmt, place);
        }
    }
    if (skipping) {
        note(c, "STATEMENT SKIPPED");
        return 1;
    }
    Value v(c);
    evaluate_statement(c, v, c.tracing);
    if (!at_end(c)) fail(3074);
    note_value(c, "VALUE=>", v);
    return 1;
}

}  // namespace qsl
