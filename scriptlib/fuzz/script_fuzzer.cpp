// Runs whole scripts through the library's entry points, the way a host
// does: the input is the script text, and every function family runs for
// real. Files are confined to a temporary folder (emptied before each
// script), where the registry and win.ini live too; programs and libraries
// cannot be started; no file grows beyond 1 MiB; a host callback stops a
// script after a few hundred statements so that loops end. What reads or
// writes outside the folder by other ways (CALL and #include, extenders,
// trace files, the binary buffers' file functions) and the waits are
// disabled; windows are the headless list only. Checks: the run returns and the string heap stays whole; the
// sanitizers watch the rest.
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "scriptlib/include/qsleng32.h"
#include "scriptlib/script_files.h"
#include "scriptlib/string_heap.h"
#include "scriptlib/window_names.h"

namespace {

namespace fs = std::filesystem;

constexpr int statement_budget = 300;
constexpr rlim_t file_size_limit = 1 << 20;
int statements = 0;

int quiet_box(void*, const char*, const char*, int buttons) {
    return buttons == QSL_MB_YESNO ? QSL_ID_YES : QSL_ID_OK;
}
int quiet_step(void*, const char*, char*, size_t) { return QSL_STEP_RUN; }
void quiet_sound(void*, const char*) {}

int counting_host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t, uintptr_t,
                  uintptr_t what, uintptr_t, uintptr_t, uintptr_t) {
    if (request == -1 && what && std::strcmp(reinterpret_cast<const char*>(what), "2") == 0 &&
        ++statements > statement_budget)
        return QSL_STOP_REQUESTED;
    return 0;
}

const char* const disabled =
    "call,addextender,debugtrace,binaryread,binarywrite,binaryreadex,binarywriteex,delay,timedelay,timewait,"
    "appwaitclose,yields,winwaitexist,winwaitchild,winwaitclose";

// Dialogs and boxes are answered at once with their default button.
int quiet_dialog(void*, QslDialog* dialog) { return dialog->default_button; }

// The folder every file of a script lies in; set up once.
const fs::path& folder() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "qsl-script-fuzz-XXXXXX").string();
        fs::path made = mkdtemp(pattern.data());
        setenv("HOME", made.c_str(), 1);
        setenv("QSL_REGISTRY", (made / "registry.ini").c_str(), 1);
        qsl::confine_files(made);
        qsl::allow_programs(false);
        // No desktop's windows are touched: only the headless list, and
        // window lookups try once, without pauses.
        unsetenv("DISPLAY");
        qsl::set_window_retries(false);
        struct rlimit limit{file_size_limit, file_size_limit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
        QslInterfaces interfaces{};
        interfaces.message_box = quiet_box;
        interfaces.step_dialog = quiet_step;
        interfaces.play_sound = quiet_sound;
        QslSetInterfaces(&interfaces);
        QslDialogInterface dialogs{quiet_dialog, nullptr};
        QslSetDialogInterface(&dialogs);
        return made;
    }();
    return root;
}

void empty_folder(const fs::path& root) {
    std::error_code error;
    fs::current_path(root, error);
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    for (const auto& entry : fs::directory_iterator(root, error)) fs::remove_all(entry.path(), error);
}

}  // namespace

// A script that doubles a string at every statement asks for more memory than
// there is; the heap's enlargement then fails with 3096 as it should.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    empty_folder(folder());
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
    DLLServices(instance, 23, "", nullptr, 1, 0);
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
