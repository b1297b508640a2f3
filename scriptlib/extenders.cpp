// At most 10 extenders and 500 extender functions per instance. Loading the
// same library twice is a silent success. Each function enumerated gets the
// code 2000 + 100 x slot + its own number.
#include "scriptlib/extenders.h"

#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

#include "scriptlib/error_texts.h"
#include "scriptlib/host_interfaces.h"

namespace qsl {
namespace {

constexpr int request_enumerate = 98;
constexpr int request_unload = 99;

void load_error(int message, int error) {
    show_box("QSL Extender load error", error_text(message), QSL_MB_OK);
    fail(error);
}

QslExtenderProc entry_point(void* library) {
    // "_QSLExtender@48" is the classic decorated name; an ELF library exports
    // it as _QSLExtender.
    void* entry = dlsym(library, "_QSLExtender@48");
    if (!entry) entry = dlsym(library, "_QSLExtender");
    return reinterpret_cast<QslExtenderProc>(entry);
}

}  // namespace

void add_extender(Context& c, const std::string& file) {
    Instance& in = *c.in;
    std::string path = file;
    if (path.find('/') == std::string::npos && access(path.c_str(), F_OK) == 0) path = "./" + path;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        std::string reason = error ? error : "";
        if (access(path.c_str(), F_OK) != 0) load_error(errors::extender_not_found, errors::extender_not_found);
        if (reason.find("undefined symbol") != std::string::npos) load_error(errors::extender_needs_function, errors::extender_load_failed);
        if (reason.find("ELF") != std::string::npos || reason.find("file too short") != std::string::npos)
            load_error(errors::extender_wrong_system, errors::extender_load_failed);
        if (reason.find("No such file") != std::string::npos) load_error(errors::extender_needs_library, errors::extender_load_failed);
        load_error(errors::extender_not_loadable, errors::extender_load_failed);
    }
    for (int i = 0; i < in.extender_count; ++i) {
        if (in.extenders[i].library == reinterpret_cast<uintptr_t>(library)) {
            dlclose(library);  // drops the second reference only
            return;
        }
    }
    if (in.extender_count >= extender_max) {
        dlclose(library);
        fail(errors::too_many_extenders);
    }
    QslExtenderProc proc = entry_point(library);
    if (!proc) {
        dlclose(library);
        fail(errors::extender_not_valid);
    }
    int slot = in.extender_count;
    int first = in.extender_function_count;
    for (uintptr_t index = 0;; ++index) {
        QslNameEntry entry{};
        int more = proc(in.host_data, in.parent, in.interface_word, QSL_EXTENDER_MAGIC, request_enumerate, ViperAnswer, 0,
                        uintptr_t(slot), reinterpret_cast<uintptr_t>(&entry), index, 0, c.handle);
        if (more == -1) {
            in.extender_function_count = first;
            dlclose(library);
            fail(errors::extender_refused);
        }
        if (more != 1) break;
        if (in.extender_function_count >= extender_function_max) {
            in.extender_function_count = first;
            dlclose(library);
            fail(errors::extender_table_full);
        }
        QslNameEntry& e = in.extender_table[in.extender_function_count++];
        e = entry;
        e.code = uint16_t(2000 + 100 * slot + entry.code % 100);
        size_t length = strnlen(entry.name, sizeof entry.name);
        for (size_t k = 0; k < length; ++k) e.name[k] = char(std::tolower(static_cast<unsigned char>(e.name[k])));
        e.length = uint16_t(length);
    }
    in.extenders[slot] = ExtenderSlot{reinterpret_cast<uintptr_t>(library), reinterpret_cast<uintptr_t>(proc),
                                      uintptr_t(slot)};
    in.extender_count = slot + 1;
    ++in.names_generation;
}

void unload_extenders(Context& c) {
    Instance& in = *c.in;
    for (int i = 0; i < in.extender_count; ++i) {
        ExtenderSlot& slot = in.extenders[i];
        if (auto proc = reinterpret_cast<QslExtenderProc>(slot.entry))
            proc(in.host_data, in.parent, in.interface_word, QSL_EXTENDER_MAGIC, request_unload, ViperAnswer, 0,
                 slot.slot_data, 0, 0, 0, c.handle);
        if (slot.library) dlclose(reinterpret_cast<void*>(slot.library));
        slot = ExtenderSlot{};
    }
    in.extender_count = 0;
    in.extender_function_count = 0;
    ++in.names_generation;
}

}  // namespace qsl
