#include "scriptlib/trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "scriptlib/calls.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/values.h"

namespace qsl {
namespace {

uint64_t now_ms() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void append(const Context& c, const std::string& text) {
    if (FILE* f = std::fopen(c.in->trace_file, "ab")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

std::string host_answer(Context& c) {
    if (!c.in->callback) return "";
    try {
        std::vector<Value> none;
        Value out(c);
        call_host(c, host_code_base + 1, none, out);
        return display(out);
    } catch (const ScriptError&) {
        return "";
    }
}

void start(Context& c) {
    if (c.in->trace_started) return;
    c.in->trace_started = 1;
    c.in->trace_start_ms = now_ms();
    std::string bar(30, '=');
    append(c, "*** Debug Initialized ***\r\n\r\n" + bar + "\r\n" + date_time_text() + "\r\n" + host_answer(c) +
                  "\r\nQSL DLL " QSL_VERSION_TEXT "\r\n" + bar + "\r\n");
}

// The line as written, the cached jump markers turned back into words.
std::string readable_line(const char* line) {
    std::string text(line, strnlen(line, 250));
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(text[i]);
        if ((ch == 0x9F || ch == 0x9E) && i + 5 <= text.size()) text.replace(i, 5, ch == 0x9F ? "goto " : "gosub");
    }
    return text;
}

}  // namespace

std::string date_time_text() {
    int y, mo, d, h = 0, mi = 0, s = 0;
    const char* today = std::getenv("QUORVANT_TODAY");
    if (!today || std::sscanf(today, "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3) {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        y = tm.tm_year + 1900, mo = tm.tm_mon + 1, d = tm.tm_mday, h = tm.tm_hour, mi = tm.tm_min, s = tm.tm_sec;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d:%02d:%02d:%02d", y, mo, d, h, mi, s);
    return text;
}

void trace_statement(Context& c, const std::string& outcome, int error, bool stopped) {
    Instance& in = *c.in;
    start(c);
    std::string record = "\r\n" + readable_line(in.line) + "\r\n";
    char ms[32];
    std::snprintf(ms, sizeof ms, "(%ld) ", long(now_ms() - in.trace_start_ms));
    record += ms + outcome + "\r\n";
    if (error) {
        bool extender = error == errors::extender_minor || error == errors::extender_moderate || error == errors::extender_severe || error == QSL_STOP_QUIETLY;
        int shown = extender && in.extender_error ? in.extender_error : error;
        std::string message = extender && in.extender_error_text[0] ? in.extender_error_text : error_text(error);
        record += extender ? (stopped ? "TERMINAL EXTENDER ERROR=>" : "EXTENDER ERROR SUPPRESSED =>")
                           : (stopped ? "TERMINAL QSL ERROR=>" : "QSL ERROR SUPPRESSED =>");
        record += std::to_string(shown);
        if (!message.empty()) record += " (" + message + ")";
        record += "\r\n";
    }
    append(c, record);
}

void trace_end(Context& c, bool normal) {
    start(c);
    std::string record;
    if (normal) record += "--- Normal termination ---\r\n";
    record += ";;;END OF JOB;;;\r\n\r\n" + std::string(60, '*') + "\r\n\r\n";
    append(c, record);
}

}  // namespace qsl
