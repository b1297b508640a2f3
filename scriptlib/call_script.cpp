// A CALLed script shares the caller's variables; the caller's line, scan
// position, last IF result and stack depth are kept and restored around it.
#include "scriptlib/call_script.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "scriptlib/calls.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/file_bytes.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/run_loop.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

bool readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// The current directory, then the program's search path.
std::string find_script(const std::string& file) {
    if (readable(file)) return file;
    if (file.find('/') != std::string::npos) return "";
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
        size_t colon = rest.find(':', start);
        std::string folder = rest.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!folder.empty() && readable(folder + "/" + file)) return folder + "/" + file;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return "";
}

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool convert_utf16(const unsigned char* data, size_t size, std::string& out) {
    out.clear();
    if (size < 2) return false;
    bool little = data[0] == 0xFF && data[1] == 0xFE;
    if (!little && !(data[0] == 0xFE && data[1] == 0xFF)) return false;
    auto unit = [&](size_t i) {
        return little ? uint32_t(data[i] | (data[i + 1] << 8)) : uint32_t((data[i] << 8) | data[i + 1]);
    };
    for (size_t i = 2; i + 1 < size; i += 2) {
        uint32_t u = unit(i);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00) {
            if (i + 3 >= size) return false;
            uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low >= 0xE000) return false;
            append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else if (u >= 0xDC00 && u < 0xE000) {
            return false;
        } else {
            append_utf8(out, u);
        }
    }
    return true;
}

int load_script_file(const std::string& path, std::string& text) {
    std::string data;
    switch (read_file_bytes(path, data, script_file_max)) {
        case FileRead::ok: break;
        case FileRead::missing: return errors::script_not_found;
        case FileRead::too_large: return errors::script_out_of_memory;
        case FileRead::not_regular:
        case FileRead::failed: return errors::script_read_error;
    }
    if (!data.empty() && (data[0] == 1 || data[0] == 2 || data[0] == 3)) return errors::script_protected;
    auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (data.size() > 1 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        if (!convert_utf16(bytes, data.size(), text)) return errors::script_unicode_error;
        return 0;
    }
    text = std::move(data);
    text.resize(strnlen(text.c_str(), text.size()));
    return 0;
}

int set_parameters(Context& c, const std::string& parameters) {
    for (int i = 1; i <= 9; ++i) {
        int index = find_variable(c, "param" + std::to_string(i));
        if (index >= 0) drop_variable(c, index);
    }
    set_variable_int(c, "param0", 0);
    int count = 0;
    size_t p = 0, n = parameters.size();
    while (p < n) {
        while (p < n && (parameters[p] == ' ' || parameters[p] == '\t')) ++p;
        if (p >= n) break;
        std::string word;
        char quote = parameters[p];
        if (quote == '"' || quote == '\'' || quote == '`') {
            ++p;
            while (p < n) {
                if (parameters[p] == quote) {
                    if (p + 1 < n && parameters[p + 1] == quote) {
                        word += quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                word += parameters[p++];
            }
        } else {
            while (p < n && parameters[p] != ' ' && parameters[p] != '\t') word += parameters[p++];
        }
        ++count;
        // Words past the ninth go on as param10, param11, ...
        set_variable_text(c, "param" + std::to_string(count), word);
    }
    set_variable_int(c, "param0", count);
    return count;
}

void call_script(Context& c, const std::string& file, const std::string& parameters) {
    Instance& in = *c.in;
    if (in.call_depth + 1 > call_depth_max) fail(errors::call_too_deep);
    set_parameters(c, parameters);
    std::string path = find_script(file);
    if (path.empty()) fail(errors::call_file_not_found);
    std::string text;
    if (int message = load_script_file(path, text)) {
        show_box(std::to_string(message) + ":  " + error_text(message), file, QSL_MB_OK);
        fail(QSL_STOP_QUIETLY);
    }
    // The caller's statement state survives the called script.
    char line[sizeof in.line], token[sizeof in.token];
    std::memcpy(line, in.line, sizeof line);
    std::memcpy(token, in.token, sizeof token);
    int32_t scan = in.scan, token_start = in.token_start, last_if = in.last_if, depth = in.depth;
    int32_t token_length = in.token_length, token_int = in.token_int;
    int16_t token_class = in.token_class, token_code = in.token_code;
    double token_float = in.token_float;
    Buffer caller = c.buffer;
    std::string caller_file = std::move(c.script_file);
    const uint32_t caller_line = c.line_start;
    c.script_file = path;
    // The called script has labels of its own; the caller's index waits.
    struct LabelsAside {
        Context& c;
        LabelIndex saved;
        explicit LabelsAside(Context& context) : c(context), saved(std::move(context.labels)) { c.labels = {}; }
        ~LabelsAside() { c.labels = std::move(saved); }
    } labels_aside(c);
    c.push(frame_call, 0, 0, 0);
    if (in.host_options & QSL_NOTIFY_CALL) notify_host(c, -4, "1");
    ++in.call_depth;
    int result = run_buffer(c, text.data(), uint32_t(text.size()));
    --in.call_depth;
    c.buffer = caller;
    c.script_file = std::move(caller_file);
    c.line_start = caller_line;
    std::memcpy(in.line, line, sizeof line);
    std::memcpy(in.token, token, sizeof token);
    in.scan = scan;
    in.token_start = token_start;
    in.token_length = token_length;
    in.token_int = token_int;
    in.token_class = token_class;
    in.token_code = token_code;
    in.token_float = token_float;
    in.last_if = last_if;
    in.depth = depth;
    if (in.host_options & QSL_NOTIFY_CALL) notify_host(c, -4, "2");
    if (result == 0) {
        int error = in.last_error;
        if (error == QSL_EXIT_EXECUTED || error == QSL_USER_CANCEL) fail(error);
        fail(QSL_STOP_QUIETLY);
    }
}

}  // namespace qsl
