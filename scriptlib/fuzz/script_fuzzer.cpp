// Runs whole scripts through the library's entry points, the way a host
// does: the input is the script text. The string, arithmetic, item-list,
// time and binary-buffer functions run for real; what reaches outside the
// process (CALL and #include, extenders, trace files, the buffers' file
// functions) and the waits are disabled, and a host callback stops a script
// after a few hundred statements so that loops end. Checks: the run returns
// and the string heap stays whole; the sanitizers watch the rest.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scriptlib/include/qsleng32.h"
#include "scriptlib/string_heap.h"

namespace {

constexpr int statement_budget = 300;
int statements = 0;

int quiet_box(void*, const char*, const char*, int) { return QSL_ID_OK; }

int counting_host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t, uintptr_t,
                  uintptr_t what, uintptr_t, uintptr_t, uintptr_t) {
    if (request == -1 && what && std::strcmp(reinterpret_cast<const char*>(what), "2") == 0 &&
        ++statements > statement_budget)
        return QSL_STOP_REQUESTED;
    return 0;
}

const char* const disabled =
    "call,addextender,debugtrace,binaryread,binarywrite,binaryreadex,binarywriteex,delay,timedelay,timewait";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    static bool initialised = false;
    if (!initialised) {
        QslInterfaces interfaces{};
        interfaces.message_box = quiet_box;
        QslSetInterfaces(&interfaces);
        initialised = true;
    }
    statements = 0;
    uintptr_t record[4] = {};
    int instance_size = DoDaDllInit(0, 0, QslHandle(QSL_INTERFACE_VERSION) << 8, 0, 0, nullptr, nullptr);
    QslHandle instance = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(instance_size));
    QslHandle variables = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 100 * QSL_VARIABLE_SLOT_SIZE);
    QslHandle heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 4096);
    DoDaDllInit(0, instance, 0, 1, 0, "fuzz", nullptr);
    DoDaDllInit(0, instance, variables, 2, 100, "fuzz", "fuzz");
    DoDaDllInit(0, instance, heap, 3, 4096, "fuzz", reinterpret_cast<const char*>(record));
    char separator[] = ",";
    DLLServices(instance, 24, disabled, separator, 0, 0);
    DLLServices(instance, 3, nullptr, nullptr, QSL_NOTIFY_STATEMENT, 0);

    QslHandle script = QslGlobalAlloc(QSL_GMEM_MOVEABLE, size + 2);
    auto* bytes = static_cast<char*>(QslGlobalLock(script));
    std::memcpy(bytes, data, size);
    bytes[size] = bytes[size + 1] = '\0';
    QslGlobalUnlock(script);
    // Only a UTF-16 text that cannot be converted is refused without a run.
    bool utf16 = size > 1 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    if (ProcessDaBatBuffer(0, instance, script, counting_host, 0) != 1 && !utf16) std::abort();
    QslGlobalFree(script);

    // The heap may have grown: the host record's third word holds its handle.
    if (record[2]) heap = QslHandle(record[2]);
    auto* heap_bytes = static_cast<const char*>(QslGlobalLock(heap));
    if (!qsl::heap_check(heap_bytes, uint32_t(QslGlobalSize(heap)))) std::abort();
    QslGlobalUnlock(heap);

    DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
    QslGlobalFree(heap);
    QslGlobalFree(variables);
    QslGlobalFree(instance);
    return 0;
}
