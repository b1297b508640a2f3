// Runs whole scripts of arbitrary bytes through the library's entry points,
// with every function family in: files are confined to a temporary folder
// (emptied before each script), programs and libraries cannot be started,
// the registry and win.ini live in the folder, files cannot grow beyond 1 MiB
// and a script is stopped after 400 statements. Functions that wait for the
// world (appwaitclose, the delays), read scripts from elsewhere (call) or
// write outside the folder (debugtrace) are disabled.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "scriptlib/include/qsleng32.h"
#include "scriptlib/script_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int statement_limit = 400;
constexpr rlim_t file_size_limit = 1 << 20;
int statements = 0;

int quiet_box(void*, const char*, const char*, int buttons) {
    return buttons == QSL_MB_YESNO ? QSL_ID_YES : QSL_ID_OK;
}
int quiet_step(void*, const char*, char*, size_t) { return QSL_STEP_RUN; }
void quiet_sound(void*, const char*) {}

int host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t, uintptr_t,
         uintptr_t what, uintptr_t, uintptr_t, uintptr_t) {
    if (request == -1 && what && std::strcmp(reinterpret_cast<const char*>(what), "2") == 0 &&
        ++statements > statement_limit)
        return QSL_STOP_REQUESTED;
    return 0;
}

const fs::path& folder() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "qsl-script-fuzz-XXXXXX").string();
        fs::path made = mkdtemp(pattern.data());
        setenv("HOME", made.c_str(), 1);
        setenv("QSL_REGISTRY", (made / "registry.ini").c_str(), 1);
        qsl::confine_files(made);
        qsl::allow_programs(false);
        struct rlimit limit{file_size_limit, file_size_limit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
        QslInterfaces interfaces{};
        interfaces.message_box = quiet_box;
        interfaces.step_dialog = quiet_step;
        interfaces.play_sound = quiet_sound;
        QslSetInterfaces(&interfaces);
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
    const fs::path& root = folder();
    empty_folder(root);
    statements = 0;

    int bytes = DoDaDllInit(0, 0, QslHandle(QSL_INTERFACE_VERSION) << 8, 0, 0, nullptr, nullptr);
    QslHandle instance = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(bytes));
    QslHandle variables = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 200 * QSL_VARIABLE_SLOT_SIZE);
    QslHandle heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 8192);
    uintptr_t record[3] = {0, 0, 0};
    DoDaDllInit(0, instance, 0, 1, 0, "fuzz", nullptr);
    DoDaDllInit(0, instance, variables, 2, 200, "fuzz", "fuzz");
    DoDaDllInit(0, instance, heap, 3, 8192, "fuzz", reinterpret_cast<const char*>(record));
    DLLServices(instance, 23, "", nullptr, 1, 0);
    DLLServices(instance, 3, "", nullptr, QSL_NOTIFY_STATEMENT, 0);
    char separator[] = "|";
    DLLServices(instance, 24, "appwaitclose|call|addextender|debugtrace|delay|timedelay|timewait|yields", separator, 0, 0);

    QslHandle script = QslGlobalAlloc(QSL_GMEM_MOVEABLE, size + 2);
    auto* text = static_cast<char*>(QslGlobalLock(script));
    std::memcpy(text, data, size);
    text[size] = text[size + 1] = '\0';
    QslGlobalUnlock(script);
    ProcessDaBatBuffer(0, instance, script, host, 0);

    DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
    QslGlobalFree(script);
    QslGlobalFree(record[2] ? QslHandle(record[2]) : heap);
    QslGlobalFree(variables);
    QslGlobalFree(instance);
    return 0;
}
