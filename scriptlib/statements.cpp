// Statement dispatch. Structure keywords are acted on even inside a skipped
// part, so that the control stack stays right; everything else is skipped.
#include "scriptlib/statements.h"

#include <cmath>
#include <cstdint>
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

bool at_end(const Context& c) { return c.in->token_class == token_end; }

// Evaluates the rest of the statement, which must be used whole.
void whole_expression(Context& c, Value& v) {
    next_token(c);
    evaluate(c, v, false);
    if (!at_end(c)) fail(errors::expression_continues);
}

int32_t integer_condition(Value& v) {
    if (!to_integer(v)) fail(errors::not_a_number);
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
        if (in.last_if == -1 && !skipping) fail(errors::no_if_for_then_else);
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
            state = skip_inside;
        } else {
            if (in.last_if == -1) fail(errors::no_if_for_then_else);
            state = in.last_if ? 0 : skip_not_taken;
        }
        c.push(frame_if, state, 0, 0);
        in.last_if = -1;
        note(c, state == 0 ? "IF DO==>TRUE" : "IF DO==>FALSE");
        return 1;
    }
    Frame* top = c.top();
    if (!top) fail(errors::no_matching_end);
    if (top->kind != frame_if) fail(errors::else_without_if);
    if (top->state == 0 || top->state == skip_not_taken) top->state ^= skip_not_taken;
    top->kind = frame_if_else;
    in.last_if = -1;
    note(c, top->state == 0 ? "ELSE DO==>TRUE" : "ELSE DO==>FALSE");
    return 1;
}

int statement_if(Context& c, Place& place) {
    Instance& in = *c.in;
    if (c.skip_state()) {
        // Inside a skipped part the condition is only read past.
        try {
            while (next_token(c) != token_end && !token_is(c, code_then)) {
            }
        } catch (const ScriptError&) {
            in.token_class = token_end;
        }
        return then_or_else(c, false, place);
    }
    Value condition(c);
    next_token(c);
    evaluate(c, condition, false);
    if (!at_end(c) && !token_is(c, code_then)) fail(errors::then_missing);
    in.last_if = integer_condition(condition) != 0;
    return then_or_else(c, false, place);
}

Frame& closing_frame(Context& c) {
    Frame* top = c.top();
    if (!top) fail(errors::no_matching_end);
    return *top;
}

int statement_endif(Context& c) {
    Frame& top = closing_frame(c);
    if (top.kind != frame_if && top.kind != frame_if_else) fail(errors::end_without_match);
    int16_t bits = top.state & (skip_continue | skip_break);
    --c.in->depth;
    if (bits) {
        Frame* outer = c.top();
        if (!outer) fail(errors::break_continue_misplaced);
        outer->state |= bits;
    }
    note(c, "END OPERATOR");
    return 1;
}

int statement_while(Context& c, Place& place) {
    if (c.skip_state()) {
        c.push(frame_while, skip_inside, int32_t(place.line_start), 0);
        note(c, "WHILE==>FALSE");
        return 1;
    }
    Value condition(c);
    whole_expression(c, condition);
    bool go = integer_condition(condition) != 0;
    c.push(frame_while, go ? 0 : skip_not_taken, int32_t(place.line_start), 0);
    note(c, go ? "WHILE==>TRUE" : "WHILE==>FALSE");
    return 1;
}

int statement_endwhile(Context& c, Place& place) {
    Frame& top = closing_frame(c);
    if (top.kind != frame_while) fail(errors::end_without_match);
    if (!(top.state & (skip_not_taken | skip_inside | skip_break))) place.next = uint32_t(top.position);
    --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

int32_t switch_value(Context& c) {
    Value v(c);
    whole_expression(c, v);
    if (v.is_float() && !v.is_int()) fail(errors::switch_not_integer);
    if (!to_integer(v)) fail(errors::switch_not_integer);
    return v.r.int_value;
}

int statement_switch(Context& c) {
    if (c.skip_state()) {
        c.push(frame_switch, skip_inside, 0, 0);
        note(c, "SWITCH==>");
        return 1;
    }
    int32_t value = switch_value(c);
    c.push(frame_switch, skip_not_taken, int32_t(uint32_t(value) >> 16) , int16_t(uint32_t(value) & 0xFFFF));
    if (c.tracing) c.outcome = Outcome{true, "SWITCH==>" + std::to_string(value)};
    return 1;
}

int statement_case(Context& c) {
    Frame* top = c.top();
    if (!top || top->kind != frame_switch) fail(errors::case_without_switch);
    if (top->state != skip_not_taken && top->state != skip_continue) {
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
    if (top.kind != frame_switch) fail(errors::end_without_match);
    --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

void numeric_or_fail(Value& v) {
    if (!v.is_numeric()) fail(errors::for_counter_not_number);
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
    if (!top || top->kind != frame_for) fail(errors::misplaced_to);
    int index = top->extra;
    Value end(c);
    next_token(c);
    evaluate(c, end, false);
    numeric_or_fail(end);
    Value step(c);
    if (token_is(c, code_by)) {
        next_token(c);
        evaluate(c, step, false);
        numeric_or_fail(step);
        if (!at_end(c)) fail(errors::expression_continues);
    } else {
        if (!at_end(c)) fail(errors::expression_continues);
        step.set_int(1);
        step.r.float_value = 1.0;
        step.r.type = QSL_TYPE_INTEGER | QSL_TYPE_FLOAT;
    }
    Value counter(c);
    load_variable(c, index, counter);
    numeric_or_fail(counter);
    if (jumped) {
        // An integer counter that would pass the 32-bit limit has gone past
        // every end it can have: the loop ends with the counter at its last value.
        if (counter.is_int() && step.is_int()) {
            int64_t next = int64_t(counter.r.int_value) + step.r.int_value;
            if (next > INT32_MAX || next < INT32_MIN) {
                c.top()->state = skip_not_taken;
                note_value(c, "FOR FALSE==>", counter);
                return 1;
            }
        }
        Value sum(c);
        sum.r = counter.r;
        sum.r.type &= ~uint32_t(QSL_TYPE_STRING | borrowed);
        Value increment(c);
        increment.r = step.r;
        if (sum.is_int() && increment.is_int()) increment.r.type = QSL_TYPE_INTEGER;
        apply_binary(code_plus, sum, increment);
        assign_variable(c, index, sum);
        load_variable(c, index, counter);
    }
    auto as_double = [](const Value& v) { return v.is_int() ? double(v.r.int_value) : v.r.float_value; };
    bool down = step.is_int() ? step.r.int_value < 0 : step.r.float_value < 0;
    bool go;
    if (end.is_int() && counter.is_int()) go = down ? end.r.int_value <= counter.r.int_value : end.r.int_value >= counter.r.int_value;
    else go = down ? as_double(end) <= as_double(counter) : as_double(end) >= as_double(counter);
    top = c.top();
    top->state = go ? 0 : skip_not_taken;
    note_value(c, go ? "FOR TRUE==>" : "FOR FALSE==>", counter);
    return 1;
}

int statement_for(Context& c, const Place& place) {
    if (c.skip_state()) {
        c.push(frame_for, skip_inside, 0, 0);
        note(c, "FOR FALSE==>");
        return 1;
    }
    if (next_token(c) != token_variable) fail(errors::for_syntax);
    int index = c.in->token_code;
    if (next_token(c) != token_name || c.in->token_code != code_assign) fail(errors::for_syntax);
    next_token(c);
    Value start(c);
    evaluate(c, start, false);
    numeric_or_fail(start);
    assign_variable(c, index, start);
    if (!token_is(c, code_to)) fail(errors::for_syntax);
    c.push(frame_for, 0, to_position(c, place), int16_t(index));
    return to_clause(c, false);
}

int statement_next(Context& c, Place& place) {
    Frame& top = closing_frame(c);
    if (top.kind != frame_for) fail(errors::end_without_match);
    if (!(top.state & (skip_not_taken | skip_inside | skip_break))) place.next = uint32_t(top.position);
    else --c.in->depth;
    note(c, "END OPERATOR");
    return 1;
}

int statement_break(Context& c, bool is_break) {
    Frame* top = c.top();
    if (!top) fail(is_break ? errors::break_outside_structure : errors::continue_outside_structure);
    if (top->state) {
        note(c, is_break ? "BREAK IGNORED" : "CONTINUE IGNORED");
        return 1;
    }
    top->state = is_break ? skip_break : skip_continue;
    note(c, is_break ? "BREAKING" : "CONTINUING");
    return 1;
}

// GOTO and GOSUB: the label, then nothing else.
void jump(Context& c, int stmt, Place& place, bool cache) {
    int cls = next_string_token(c);
    if (cls == token_end) fail(errors::incomplete_statement);
    if (cls != token_word) fail(errors::goto_label_missing);
    std::string label(c.in->token, size_t(c.in->token_length));
    if (next_token(c) != token_end) fail(errors::expression_continues);
    uint32_t target = find_label(c, label);
    if (cache && !place.substituted) cache_label(c, place.line_start + uint32_t(stmt), target);
    place.next = target;
}

// The frame keeps the IF result that was current before the GOSUB line, so
// that an ELSE after it still relates to that IF once RETURN restores it.
void push_gosub(Context& c, uint32_t next, int32_t if_result) {
    int16_t kind = if_result == 0 ? frame_gosub_false : if_result == 1 ? frame_gosub_true : frame_gosub_none;
    c.push(kind, 0, int32_t(next), 0);
    c.in->last_if = -1;
}

int statement_return(Context& c, Place& place) {
    Instance& in = *c.in;
    for (int i = in.depth - 1; i >= 0; --i) {
        const Frame& f = in.stack[i];
        if (f.kind == frame_call) {
            in.depth = i + 1;
            note(c, "RETURN");
            return -1;
        }
        if (f.kind == frame_gosub_false || f.kind == frame_gosub_true || f.kind == frame_gosub_none) {
            place.next = uint32_t(f.position);
            in.last_if = f.kind == frame_gosub_false ? 0 : f.kind == frame_gosub_true ? 1 : -1;
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
    if (code == code_endfor) code = code_next;
    else if (code == code_select) code = code_switch;
    else if (code == code_endselect) code = code_endswitch;
    if (code == code_end) {
        next_token(c);
        int what = in.token_class == token_name ? in.token_code : -1;
        if (what == code_if) code = code_endif;
        else if (what == code_while) code = code_endwhile;
        else if (what == code_for) code = code_next;
        else if (what == code_switch || what == code_select) code = code_endswitch;
        else fail(errors::unidentified_end);
    }
    bool skipping = c.skip_state() != 0;
    const int32_t if_result = in.last_if;
    switch (code) {
        case code_if: return statement_if(c, place);
        case code_then: return then_or_else(c, false, place);
        case code_else: return then_or_else(c, true, place);
        default: break;
    }
    in.last_if = -1;
    switch (code) {
        case code_endif: return statement_endif(c);
        case code_while: return statement_while(c, place);
        case code_endwhile: return statement_endwhile(c, place);
        case code_switch: return statement_switch(c);
        case code_case: return statement_case(c);
        case code_endswitch: return statement_endswitch(c);
        case code_for: return statement_for(c, place);
        case code_to: return to_clause(c, true);
        case code_next: return statement_next(c, place);
        case code_break: return statement_break(c, true);
        case code_continue: return statement_break(c, false);
        case code_gosub:
            if (skipping) {
                note(c, "STATEMENT SKIPPED");
                return 1;
            }
            push_gosub(c, place.next, if_result);
            jump(c, stmt, place, true);
            note(c, "GOSUB");
            return 1;
        case code_return:
            if (skipping) {
                note(c, "STATEMENT SKIPPED");
                return 1;
            }
            return statement_return(c, place);
    }
    fail(errors::structure_not_defined);
}

int execute_rest(Context& c, Place& place) {
    int rest = rest_of_line(c);
    if (rest < 0) fail(errors::incomplete_statement);
    try {
        return execute_statement(c, rest, place);
    } catch (const ScriptError& e) {
        if (e.number >= errors::silent_min && e.number != errors::stop_quietly) throw;
        std::string message = "EXECUTE::" + error_text(e.number);
        if (show_box(c.in->line, message, QSL_MB_OKCANCEL) == QSL_ID_CANCEL) fail(QSL_STOP_QUIETLY);
        c.in->last_error = 0;
        return 1;
    }
}

int command(Context& c, int code, int stmt, Place& place) {
    Instance& in = *c.in;
    if (code >= host_code_base) {
        std::vector<Value> none;
        Value out(c);
        if (code >= extender_code_base) call_extender(c, code, none, out);
        else call_host(c, code, none, out);
        note_value(c, "VALUE=>", out);
        return 1;
    }
    switch (code) {
        case code_beep:
            if (!in.silent) play_sound("");
            return 1;
        case code_yield:
            pump_messages(c);
            return 1;
        case code_exit:
            in.last_if = -1;
            fail(QSL_EXIT_EXECUTED);
        case code_goto:
            in.last_if = -1;
            jump(c, stmt, place, true);
            return 1;
        case code_execute:
            return execute_rest(c, place);
    }
    fail(errors::structure_not_defined);
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
    return code >= 0 && name_entry(code).cls == class_keyword;
}

}  // namespace

int execute_statement(Context& c, int stmt, Place& place) {
    Instance& in = *c.in;
    in.scan = stmt;
    unsigned char first = static_cast<unsigned char>(in.line[stmt]);
    bool skipping = c.skip_state() != 0;
    if (first == cached_goto || first == cached_gosub) {
        if (skipping) {
            note(c, "STATEMENT SKIPPED");
            return 1;
        }
        uint32_t target = cached_target(in.line + stmt);
        if (first == cached_gosub) {
            push_gosub(c, place.next, in.last_if);
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
    if (cls == token_end) fail(errors::incomplete_statement);
    if (cls == token_name) {
        int code = in.token_code;
        int entry_class = token_entry_class(c) & ~class_disabled;
        if (entry_class == class_keyword) return keyword(c, code, stmt, place);
        if (entry_class == class_command) {
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
    if (!at_end(c)) fail(errors::expression_continues);
    note_value(c, "VALUE=>", v);
    return 1;
}

}  // namespace qsl
