// Feeds one statement of arbitrary bytes to the tokenizer until its end or
// an error, then to the evaluator with assignment allowed. Functions that
// reach outside the process (CALL, AddExtender, IntControl) are disabled.
#include <cstdint>
#include <cstring>
#include <vector>

#include "scriptlib/expressions.h"
#include "scriptlib/name_table.h"
#include "scriptlib/string_heap.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/variables.h"

namespace {

int quiet_box(void*, const char*, const char*, int) { return QSL_ID_OK; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qsl::Instance instance;
    static std::vector<uint8_t> variables(50 * QSL_VARIABLE_SLOT_SIZE);
    static QslHandle heap = 0;
    if (!heap) {
        QslInterfaces interfaces{};
        interfaces.message_box = quiet_box;
        QslSetInterfaces(&interfaces);
        heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE, 2048);
    }
    std::memset(&instance, 0, sizeof instance);
    std::memset(variables.data(), 0, variables.size());
    instance.var_capacity = 50;
    instance.decimals = -1;
    for (int code : {qsl::code_call, qsl::code_addextender, qsl::code_intcontrol, qsl::code_debugtrace})
        instance.disabled[code / 8] |= uint8_t(1 << (code % 8));
    QslGlobalReAlloc(heap, 2048, 0);
    qsl::Context c;
    c.in = &instance;
    instance.heap_handle = heap;
    c.vars = variables.data();
    c.heap = static_cast<char*>(QslGlobalLock(heap));
    c.heap_size = 2048;
    qsl::heap_format(c.heap, 2048);

    size_t n = size > size_t(qsl::line_max) ? size_t(qsl::line_max) : size;
    std::memcpy(instance.line, data, n);
    instance.line[n] = '\0';
    try {
        for (int i = 0; i < 300 && qsl::next_token(c) != qsl::token_end; ++i) {
        }
    } catch (const qsl::ScriptError&) {
    }
    instance.scan = 0;
    try {
        qsl::next_token(c);
        qsl::Value v(c);
        qsl::evaluate(c, v, true);
        qsl::display(v);
    } catch (const qsl::ScriptError&) {
    }
    if (!qsl::heap_check(c.heap, c.heap_size)) __builtin_trap();
    QslGlobalUnlock(heap);
    return 0;
}
