// A text number N of 100 or more may be overridden by the key X<N> in the
// section MAIN of the language file; in every loaded text "~" becomes a line
// break and "|" a tab.
#include "scriptlib/error_texts.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace qsl {
namespace {

struct Text {
    int number;
    const char* text;
};

constexpr Text kTexts[] = {
    {102, "Specified menu/batch file not found"},
    {111, "Execution Error"},
    {203, "Out of memory for batch file"},
    {204, "Unable to lock memory for batch file"},
    {206, "File I/O error reading batch file"},
    {211, "Batch file is in a protected format that this build cannot read"},
    {214, "Line too long (>255 characters)"},
    {215, "Error converting Unicode batch/menu file"},
    {851, "A library that the extender needs was not found"},
    {852, "The extender could not be loaded"},
    {853, "A function that the extender needs was not found"},
    {854, "The extender is not a library for this system"},
    {855, "The extender failed to initialise"},
    {1039, "WinClose: Window not found"},
    {1213, "Cmd Extender: Minor error occurred"},
    {1341, "FP Math: Argument domain error"},
    {1342, "FP Math: Result is too large to be represented"},
    {1343, "FP Math: Partial loss of precision"},
    {1344, "FP Math: Singularity error"},
    {1345, "FP Math: Total loss of precision"},
    {1346, "FP Math: Result too small to be represented"},
    {1351, "FP Math: Floating point error"},
    {1399, "AddExtender:  Extender detects error, will not load"},
    {1400, "Call:  File not found"},
    {1407, "IntControl 29: Invalid delimiter character"},
    {1426, "IntControl 30: Source file not found"},
    {1427, "IntControl 30: Invalid target file"},
    {1428, "IntControl 30: Target on another drive"},
    {1471, "IntControl 39/40: Invalid share mode"},
    {1588, "Unable to allocate or lock memory"},
    {2214, "Cmd Extender: Moderate Error Occurred"},
    {3032, "GoTo unable to lock memory for batch file"},
    {3033, "GoTo label not found"},
    {3046, "Internal Error 3046. Function not defined"},
    {3047, "Variable name over 30 chars. Too Long"},
    {3048, "Substitution %Variable% not followed by a % (Use %% for %)"},
    {3050, "No IF to relate to THEN or ELSE is currently valid"},
    {3051, "Undefined variable or function"},
    {3052, "Uninitialized variable or undefined function"},
    {3053, "Character string too long (>255 chars?\?)"},
    {3054, "Unrecognizable item found on line"},
    {3055, "Variable name over 30 chars. Too Long"},
    {3056, "Variable could not be converted to string"},
    {3057, "Variable could not be converted to a valid number"},
    {3062, "Attempt to divide by zero"},
    {3063, "Binary operation not legal for type of number"},
    {3064, "Unary operation not legal for type of number"},
    {3065, "Unbalanced Parenthesis"},
    {3066, "Wrong Number of Arguments in Function"},
    {3067, "Function Syntax. Opening parenthesis missing."},
    {3068, "Function Syntax. Illegal delimiter found."},
    {3069, "Assignment not legal here. (Use == for equality testing)"},
    {3070, "Internal error 3070.  Too many arguments defined."},
    {3071, "Missing or incomplete statement"},
    {3072, "THEN not found in IF statement"},
    {3073, "Goto Label not specified"},
    {3074, "Expression continues past expected end."},
    {3096, "Memory allocation failure.  Out of memory for strings"},
    {3097, "Memory allocation failure.  Out of memory for variables"},
    {3101, "Substituted line too long. (>255 characters)"},
    {3102, "Drop: Can only drop variables"},
    {3103, "IsDefined: Attempting to test non-variable item"},
    {3171, "IntControl: Invalid IntControl opcode"},
    {3210, "Cmd Extender: Out of memory to save result"},
    {3211, "Call:  More than 6 levels of Calls"},
    {3215, "Cmd Extender: Severe error occurred"},
    {3338, "FP Math: Illegal floating point number.  Too many dots."},
    {3339, "FP Math: Illegal floating point number.  Too many E's."},
    {3340, "FP Math: Variable could not be converted to floating point"},
    {3352, "Internal Error: Command or Structop not defined"},
    {3353, "Struct Error:  Nesting of structures is too complex"},
    {3354, "END Error:  No matching End found"},
    {3355, "STRUCT Error:  'Break' not in a Structure"},
    {3356, "STRUCT Error:  'Continue' not in a Structure"},
    {3357, "End Error: No match  found"},
    {3358, "Else Error: No matching If found"},
    {3359, "Break/Continue:  Not in a While, Switch, or For structure"},
    {3360, "For Error:  Bad Syntax.  e.g. 'For x = 1 to 10'"},
    {3361, "For Error:  For counters must be numbers, not strings"},
    {3362, "Misplaced 'TO' found without a DoFor"},
    {3363, "Unidentified 'END': Must be followed by If, While, Switch or For"},
    {3364, "SWITCH/CASE Error: Switch/Case can only accept integers"},
    {3365, "CASE Error:  No matching Switch found"},
    {3393, "AddExtender: Too many extenders added"},
    {3394, "AddExtender: Extender DLL not found"},
    {3395, "AddExtender: Not a valid extender"},
    {3396, "AddExtender: Extender table full"},
    {3437, "AddExtender: Extender could not be loaded"},
    {3472, "Function not available in this product"},
    {9002, "Previously reported error"},
    {9999, "User requested Cancel"},
};

std::string builtin_text(int number) {
    for (const Text& t : kTexts)
        if (t.number == number) return t.text;
    return "";
}

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    size_t start = s.find_first_not_of(" \t");
    return start == std::string::npos ? "" : s.substr(start);
}

bool same_text(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Reads key from [section] of an INI file.
bool ini_read(const std::string& path, const std::string& section, const std::string& key, std::string& out) {
    std::ifstream in(path);
    if (!in) return false;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        line = trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            inside = close != std::string::npos && same_text(std::string_view(line).substr(1, close - 1), section);
            continue;
        }
        size_t eq = line.find('=');
        if (inside && eq != std::string::npos && same_text(trim(line.substr(0, eq)), key)) {
            out = trim(line.substr(eq + 1));
            return true;
        }
    }
    return false;
}

bool exists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// The library's folder, then every folder of the search path.
std::string locate(const std::string& name) {
    std::string here = library_folder() + "/" + name;
    if (exists(here)) return here;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        size_t colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        if (!folder.empty() && exists(folder + "/" + name)) return folder + "/" + name;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return "";
}

std::string language_name() {
    std::string name;
    std::string ini = locate("KVXBATCH.INI");
    if (!ini.empty() && ini_read(ini, "MAIN", "Language", name) && !name.empty()) return name;
    return "enu";
}

std::string override_text(int number) {
    std::string name = "KVXDLANG.";
    name += language_name();
    std::string file = locate(name);
    if (file.empty()) file = locate("KVXDLANG");
    std::string text;
    std::string key = "X";
    key += std::to_string(number);
    if (file.empty() || !ini_read(file, "MAIN", key, text)) return "";
    return text;
}

}  // namespace

std::string library_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_folder), &info) && info.dli_fname) {
        std::string path = info.dli_fname;
        size_t slash = path.rfind('/');
        if (slash != std::string::npos) return path.substr(0, slash);
    }
    return ".";
}

std::string error_text(int number) {
    std::string text = number >= 100 ? override_text(number) : "";
    if (text.empty()) text = builtin_text(number);
    for (char& ch : text) {
        if (ch == '~') ch = '\n';
        else if (ch == '|') ch = '\t';
    }
    return text;
}

}  // namespace qsl
