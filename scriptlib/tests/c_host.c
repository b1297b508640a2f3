/* A host written in C against the public header and the shared library only:
 * it walks the phases 0, 1, 2, 3 and 99 and runs a script from a global
 * memory block. Exit status 0 when every step did what it should. */
#include <stdio.h>
#include <string.h>

#include <qsleng32.h>

#define CHECK(condition)                                              \
    do {                                                              \
        if (!(condition)) {                                           \
            fprintf(stderr, "c_host: failed: %s\n", #condition);      \
            return 1;                                                 \
        }                                                             \
    } while (0)

static int g_statements;

static int host_callback(uintptr_t host_word, uintptr_t parent, uintptr_t interface_word, uintptr_t magic,
                         intptr_t request, QslAnswerProc answer, uintptr_t context, uintptr_t slot,
                         uintptr_t arg9, uintptr_t arg10, uintptr_t arg11, uintptr_t arg12) {
    (void)parent, (void)interface_word, (void)slot, (void)arg10, (void)arg11, (void)arg12;
    if (host_word != 4242 || magic != QSL_EXTENDER_MAGIC) return -3;
    if (request == -1 && arg9 && strcmp((const char *)arg9, "2") == 0) ++g_statements;
    if (request == 0) return answer(0, 0, context, 1, 0, "from the host");
    return 0;
}

int main(void) {
    static const char script[] = "a = 6 * 7\r\nb = hostname()\r\nIF a == 42 THEN c = \"yes\"\r\n";
    QslNameEntry host_table[1];
    memset(host_table, 0, sizeof host_table);
    host_table[0].cls = 2;
    host_table[0].length = 8;
    memcpy(host_table[0].name, "hostname", 8);

    CHECK(DoDaDllInit(0, 0, (QslHandle)18 << 8, 0, 0, NULL, NULL) == 0);
    int size = DoDaDllInit(0, 0, (QslHandle)QSL_INTERFACE_VERSION << 8, 0, 0, NULL, NULL);
    CHECK(size == QSL_INSTANCE_SIZE);

    QslHandle instance = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, (size_t)size);
    QslHandle variables = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 100 * QSL_VARIABLE_SLOT_SIZE);
    QslHandle heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 4096);
    uintptr_t record[3] = {0, 0, 0};
    CHECK(instance && variables && heap);
    CHECK(DoDaDllInit(0, instance, 0, 1, 7, "chost", NULL) == 52);
    CHECK(DoDaDllInit(0, instance, variables, 2, 100, "chost", "module") == 1);
    CHECK(DoDaDllInit(0, instance, heap, 3, 4096, "usage", (const char *)record) == 1);
    CHECK(DLLServices(instance, 6, NULL, NULL, 1, (uintptr_t)host_table) == 1);
    CHECK(DLLServices(instance, 3, NULL, NULL, QSL_NOTIFY_STATEMENT, 0) == 0);

    QslHandle block = QslGlobalAlloc(QSL_GMEM_MOVEABLE, sizeof script);
    memcpy(QslGlobalLock(block), script, sizeof script);
    QslGlobalUnlock(block);
    CHECK(ProcessDaBatBuffer(0, instance, block, host_callback, 4242) == 1);
    CHECK(DLLServices(instance, 5, NULL, NULL, 0, 0) == 0);
    CHECK(g_statements == 3);

    char value[64];
    CHECK(DLLServices(instance, 2, "A", value, sizeof value, 0) && strcmp(value, "42") == 0);
    CHECK(DLLServices(instance, 2, "b", value, sizeof value, 0) && strcmp(value, "from the host") == 0);
    CHECK(DLLServices(instance, 2, "c", value, sizeof value, 0) && strcmp(value, "yes") == 0);
    CHECK(!DLLServices(instance, 2, "missing", value, sizeof value, 0));

    CHECK(DoDaDllInit(0, instance, 0, 99, 0, NULL, NULL) == 1);
    CHECK(QslGlobalFree(block) == 0 && QslGlobalFree(heap) == 0);
    CHECK(QslGlobalFree(variables) == 0 && QslGlobalFree(instance) == 0);
    puts("c_host: phases 0, 1, 2, 3 and 99 and one run passed");
    return 0;
}
