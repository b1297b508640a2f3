/* An extender for the tests: xdouble(i) doubles, xgreet(s) greets, xfail()
 * fails with its own error number 4711, xbare() fails without a text, and
 * xcmd is a command that sets nothing. */
#include <stdio.h>
#include <string.h>

#include "../include/qsleng32.h"

typedef struct {
    const char *name;
    unsigned short cls, count, mask;
} Function;

static const Function kFunctions[] = {
    {"xdouble", 2, 1, 0},
    {"xgreet", 2, 1, 1},
    {"xfail", 2, 0, 0},
    {"xbare", 2, 0, 0},
    {"xcmd", 4, 0, 0},
};

__attribute__((visibility("default"))) int _QSLExtender(uintptr_t host_word, uintptr_t parent, uintptr_t interface_word,
                                                        uintptr_t magic, intptr_t request, QslAnswerProc answer,
                                                        uintptr_t context, uintptr_t slot, uintptr_t arg9,
                                                        uintptr_t arg10, uintptr_t arg11, uintptr_t arg12) {
    (void)host_word, (void)parent, (void)interface_word, (void)slot, (void)arg12;
    if (magic != QSL_EXTENDER_MAGIC) return -3;
    if (request == 98) {
        size_t count = sizeof kFunctions / sizeof kFunctions[0];
        if (arg10 >= count) return 0;
        QslNameEntry *entry = (QslNameEntry *)arg9;
        const Function *f = &kFunctions[arg10];
        entry->code = (unsigned short)arg10;
        entry->cls = f->cls;
        entry->count = f->count;
        entry->mask = f->mask;
        entry->length = (unsigned short)strlen(f->name);
        memcpy(entry->name, f->name, strlen(f->name));
        return 1;
    }
    if (request == 99) return 0;
    const QslValue *args = (const QslValue *)arg9;
    const char *heap = (const char *)arg11;
    char text[300];
    switch (request) {
        case 0: return answer(0, 0, context, 0, args[0].int_value * 2, NULL);
        case 1:
            snprintf(text, sizeof text, "hello %s", heap + args[0].string_offset);
            return answer(0, 0, context, 1, 0, text);
        case 2:
            answer(-1, 0, context, 1, 0, "4711: Failure on purpose");
            return -1;
        case 3:
            answer(-1, 0, context, 0, 0, NULL);
            return -1;
        case 4: return 0;
    }
    return -3;
}
