// A host for the tests: one instance with 200 variables and a small string
// heap, scripts run through ProcessDaBatBuffer, boxes recorded and answered.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "scriptlib/include/qsleng32.h"

namespace qsl::testing {

struct Box {
    std::string title, text;
    int buttons;
};

class ScriptHost {
public:
    explicit ScriptHost(size_t heap_bytes = 4096, int variables = 200) : variable_count_(variables) {
        setenv("QSL_REGISTRY", registry_path().c_str(), 1);
        current_ = this;
        QslInterfaces interfaces{};
        interfaces.message_box = &ScriptHost::box;
        interfaces.step_dialog = &ScriptHost::step;
        interfaces.play_sound = &ScriptHost::sound;
        QslSetInterfaces(&interfaces);
        int size = DoDaDllInit(0, 0, QslHandle(QSL_INTERFACE_VERSION) << 8, 0, 0, nullptr, nullptr);
        instance = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(size));
        variables_ = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(variables) * QSL_VARIABLE_SLOT_SIZE);
        heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, heap_bytes);
        DoDaDllInit(0, instance, 0, 1, 0, "tests", nullptr);
        DoDaDllInit(0, instance, variables_, 2, variables, "tests", "tests");
        DoDaDllInit(0, instance, heap, 3, int(heap_bytes), "tests", reinterpret_cast<const char*>(record));
    }
    ~ScriptHost() {
        DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
        QslGlobalFree(heap);
        QslGlobalFree(variables_);
        QslGlobalFree(instance);
        QslSetInterfaces(nullptr);
        current_ = nullptr;
    }

    static std::string registry_path() {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/qsl-tests-registry-" + std::to_string(getpid_()) + ".ini";
    }

    // Runs script text (bytes as given); returns the last error (0 = ended normally).
    int run(const std::string& text, QslExtenderProc callback = nullptr, uintptr_t data = 0) {
        QslHandle block = QslGlobalAlloc(QSL_GMEM_MOVEABLE, text.size() + 2);
        auto* bytes = static_cast<char*>(QslGlobalLock(block));
        std::memcpy(bytes, text.data(), text.size());
        bytes[text.size()] = bytes[text.size() + 1] = '\0';
        QslGlobalUnlock(block);
        ran = ProcessDaBatBuffer(window, instance, block, callback, data);
        buffer.assign(static_cast<char*>(QslGlobalLock(block)), QslGlobalSize(block));
        QslGlobalUnlock(block);
        QslGlobalFree(block);
        return DLLServices(instance, 5, nullptr, nullptr, 0, 0);
    }

    // The variable's value as a string, or "<none>".
    std::string var(const std::string& name) {
        std::vector<char> value(70000);
        if (!DLLServices(instance, 2, name.c_str(), value.data(), int(value.size()), 0)) return "<none>";
        return value.data();
    }

    // The string offset a variable holds.
    uint32_t offset_of(int index) {
        auto* table = static_cast<unsigned char*>(QslGlobalLock(variables_));
        uint32_t offset;
        std::memcpy(&offset, table + size_t(index) * QSL_VARIABLE_SLOT_SIZE + 16, 4);
        QslGlobalUnlock(variables_);
        return offset;
    }

    QslHandle instance = 0, heap = 0;
    QslHandle window = 0;             // the window handed to ProcessDaBatBuffer
    uintptr_t record[3] = {0, 0, 0};
    int ran = 0;
    std::string buffer;               // the script block after the run
    std::vector<Box> boxes;           // every box shown
    std::deque<int> answers;          // buttons to press, in turn
    std::deque<int> step_answers;     // single-step dialog buttons
    std::vector<std::string> steps;   // texts of the single-step dialog
    std::vector<std::string> sounds;

private:
    static int getpid_();
    static int box(void*, const char* title, const char* text, int buttons) {
        current_->boxes.push_back(Box{title, text, buttons});
        if (!current_->answers.empty()) {
            int answer = current_->answers.front();
            current_->answers.pop_front();
            return answer;
        }
        return buttons == QSL_MB_YESNO ? QSL_ID_YES : QSL_ID_OK;
    }
    static int step(void*, const char* text, char* name, size_t size) {
        current_->steps.push_back(text);
        if (current_->step_answers.empty()) return QSL_STEP_NEXT;
        int answer = current_->step_answers.front();
        current_->step_answers.pop_front();
        if (answer == QSL_STEP_SHOW_VAR) std::snprintf(name, size, "%s", "x");
        return answer;
    }
    static void sound(void*, const char* name) { current_->sounds.push_back(name); }

    int variable_count_;
    QslHandle variables_ = 0;
    static inline ScriptHost* current_ = nullptr;
};

}  // namespace qsl::testing
