// A text number N of 100 or more may be overridden by the key X<N> in the
// section MAIN of the language file; in every loaded text "~" becomes a line
// break and "|" a tab.
#include "scriptlib/error_texts.h"
#include "scriptlib/errors.h"

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

constexpr Text builtin_texts[] = {
    {errors::script_not_found, "Specified menu/batch file not found"},
    {errors::execution_error, "Execution Error"},
    {errors::script_out_of_memory, "Out of memory for batch file"},
    {errors::script_lock_failed, "Unable to lock memory for batch file"},
    {errors::script_read_error, "File I/O error reading batch file"},
    {errors::script_protected, "Batch file is in a protected format that this build cannot read"},
    {errors::line_too_long, "Line too long (>255 characters)"},
    {errors::script_unicode_error, "Error converting Unicode batch/menu file"},
    {errors::extender_needs_library, "A library that the extender needs was not found"},
    {errors::extender_not_loadable, "The extender could not be loaded"},
    {errors::extender_needs_function, "A function that the extender needs was not found"},
    {errors::extender_wrong_system, "The extender is not a library for this system"},
    {errors::extender_init_failed, "The extender failed to initialise"},
    {errors::timediff_bad_value, "TimeDiff: Time parameter error - bad value"},
    {errors::timediff_out_of_range, "TimeDiff: Out of Range (over 60 years)"},
    {errors::timeadd_bad_value, "TimeAdd: Time parameter error - bad value"},
    {errors::delay_not_computable, "WaitLong: Could not properly compute time for delay"},
    {errors::timewait_bad_format, "WaitUntil: Passed time not in proper format"},
    {errors::window_not_found, "WinClose: Window not found"},
    {errors::binary_alloc_failed, "BinaryAlloc: Could not allocate binary buffer"},
    {errors::extender_minor, "Cmd Extender: Minor error occurred"},
    {errors::binary_read_failed, "BinaryRead: File could not be opened or read"},
    {errors::fp_domain, "FP Math: Argument domain error"},
    {errors::fp_overflow, "FP Math: Result is too large to be represented"},
    {errors::fp_partial_loss, "FP Math: Partial loss of precision"},
    {errors::fp_singularity, "FP Math: Singularity error"},
    {errors::fp_total_loss, "FP Math: Total loss of precision"},
    {errors::fp_underflow, "FP Math: Result too small to be represented"},
    {errors::fp_error, "FP Math: Floating point error"},
    {errors::extender_refused, "AddExtender:  Extender detects error, will not load"},
    {errors::call_file_not_found, "Call:  File not found"},
    {errors::bad_list_delimiter, "IntControl 29: Invalid delimiter character"},
    {errors::rename_source_not_found, "IntControl 30: Source file not found"},
    {errors::rename_bad_target, "IntControl 30: Invalid target file"},
    {errors::rename_other_drive, "IntControl 30: Target on another drive"},
    {errors::bad_julian_date, "TimeJulToYmd: Invalid Julian date"},
    {errors::cannot_subtract_times, "TimeSubtract: Cannot subtract supplied times"},
    {errors::timesubtract_bad_value, "TimeSubtract: Time parameter error - bad value"},
    {errors::bad_intcontrol_value, "IntControl: Invalid parameter value"},
    {errors::bad_share_mode, "IntControl 39/40: Invalid share mode"},
    {errors::binary_bad_record_size, "BinaryHash/Sort: Record size must be positive"},
    {errors::binary_bad_key_offset, "BinaryHash/Sort: Key offset must not be negative"},
    {errors::binary_bad_key_size, "BinaryHash/Sort: Invalid key size or key type"},
    {errors::binary_key_beyond_record, "BinaryHash/Sort: Key extends beyond end of record"},
    {errors::binary_buffer_below_record, "BinaryHash/Sort: Buffer smaller than one record"},
    {errors::binary_hash_no_memory, "BinaryHash/Sort: Out of memory"},
    {errors::binary_hash_no_key, "BinaryHash: Key value must be specified"},
    {errors::binary_hash_key_too_long, "BinaryHash: Key longer than the key size"},
    {errors::binary_hash_full, "BinaryHash: No available space in binary buffer"},
    {errors::binary_bad_ole_type, "BinaryOleType: Invalid type"},
    {errors::binary_offset_beyond_end, "Binary functions: Offset(s) beyond end of binary buffer(s)"},
    {errors::binary_count_beyond_end, "Binary functions: Specified count extends beyond end of binary buffer"},
    {errors::binary_file_open_failed, "Binary functions: File could not be opened"},
    {errors::binary_file_write_failed, "Binary functions: File could not be written"},
    {errors::binary_file_offset, "Binary functions: Invalid file offset"},
    {errors::binary_invalid_offset, "Binary functions: Invalid offset"},
    {errors::binary_invalid_count, "Binary functions: Invalid count"},
    {errors::binary_offset_beyond_eod, "Binary functions: Offset beyond binary EOD"},
    {errors::binary_count_beyond_eod, "Binary functions: Specified count extends beyond binary EOD"},
    {errors::binary_writeex_failed, "BinaryWriteEx: File could not be updated"},
    {errors::binary_convert_bad_source, "BinaryConvert: Invalid source type"},
    {errors::binary_convert_bad_target, "BinaryConvert: Invalid target type"},
    {errors::binary_convert_bad_flags, "BinaryConvert: Invalid flags"},
    {errors::binary_convert_failed, "BinaryConvert: Data could not be converted"},
    {errors::binary_convert_too_large, "BinaryConvert: Converted data does not fit the buffer"},
    {errors::binary_clip_bad_format, "BinaryClip: Unsupported clipboard format"},
    {errors::binary_clip_too_large, "BinaryClip: Clipboard data does not fit the buffer"},
    {errors::binary_clip_failed, "BinaryClip: Clipboard could not be read or written"},
    {errors::strfix_no_padding, "StrFix: Padding string is empty"},
    {errors::binary_tag_empty, "BinaryTagInit: Start and end tags must be specified"},
    {errors::binary_tag_invalid, "BinaryTag[..]: Invalid tag structure"},
    {errors::binary_tag_no_room, "BinaryTag[..]: Replacement does not fit the buffer"},
    {errors::memory_not_available, "Unable to allocate or lock memory"},
    {errors::binary_compress_failed, "BinaryComp: Data could not be compressed into the target buffer"},
    {errors::binary_uncompress_failed, "BinaryUncomp: Data could not be decompressed into the target buffer"},
    {errors::extender_moderate, "Cmd Extender: Moderate Error Occurred"},
    {errors::binary_peekstr_beyond_end, "BinaryPeekStr: Attempt to read beyond end of buffer"},
    {errors::binary_pokestr_beyond_end, "BinaryPokeStr: Attempt to write beyond end of buffer"},
    {errors::invalid_binary_handle, "BinaryData: Invalid Binary Data handle passed"},
    {errors::too_many_binary_handles, "BinaryData: Too many open Binary Data Handles"},
    {errors::goto_lock_failed, "GoTo unable to lock memory for batch file"},
    {errors::label_not_found, "GoTo label not found"},
    {errors::function_not_defined, "Internal Error 3046. Function not defined"},
    {errors::variable_name_too_long, "Variable name over 30 chars. Too Long"},
    {errors::substitution_unclosed, "Substitution %Variable% not followed by a % (Use %% for %)"},
    {errors::no_if_for_then_else, "No IF to relate to THEN or ELSE is currently valid"},
    {errors::undefined_name, "Undefined variable or function"},
    {errors::uninitialized_variable, "Uninitialized variable or undefined function"},
    {errors::string_too_long, "Character string too long (>255 chars?\?)"},
    {errors::unrecognizable_item, "Unrecognizable item found on line"},
    {errors::variable_name_over_30, "Variable name over 30 chars. Too Long"},
    {errors::not_convertible_to_string, "Variable could not be converted to string"},
    {errors::not_a_number, "Variable could not be converted to a valid number"},
    {errors::divide_by_zero, "Attempt to divide by zero"},
    {errors::binary_operation_illegal, "Binary operation not legal for type of number"},
    {errors::unary_operation_illegal, "Unary operation not legal for type of number"},
    {errors::unbalanced_parenthesis, "Unbalanced Parenthesis"},
    {errors::wrong_argument_count, "Wrong Number of Arguments in Function"},
    {errors::opening_parenthesis_missing, "Function Syntax. Opening parenthesis missing."},
    {errors::illegal_delimiter, "Function Syntax. Illegal delimiter found."},
    {errors::assignment_not_legal, "Assignment not legal here. (Use == for equality testing)"},
    {errors::too_many_arguments, "Internal error 3070.  Too many arguments defined."},
    {errors::incomplete_statement, "Missing or incomplete statement"},
    {errors::then_missing, "THEN not found in IF statement"},
    {errors::goto_label_missing, "Goto Label not specified"},
    {errors::expression_continues, "Expression continues past expected end."},
    {errors::strings_out_of_memory, "Memory allocation failure.  Out of memory for strings"},
    {errors::variables_out_of_memory, "Memory allocation failure.  Out of memory for variables"},
    {errors::internal_error, "IntErr: Internal error"},
    {errors::substituted_line_too_long, "Substituted line too long. (>255 characters)"},
    {errors::drop_not_variable, "Drop: Can only drop variables"},
    {errors::isdefined_not_variable, "IsDefined: Attempting to test non-variable item"},
    {errors::binary_eod_beyond_end, "BinaryEODSet: Set value beyond end of buffer"},
    {errors::bad_intcontrol, "IntControl: Invalid IntControl opcode"},
    {errors::extender_no_memory, "Cmd Extender: Out of memory to save result"},
    {errors::call_too_deep, "Call:  More than 6 levels of Calls"},
    {errors::extender_severe, "Cmd Extender: Severe error occurred"},
    {errors::binary_offset_beyond_buffer, "BinaryPeek/Poke/Incr: Offset is beyond end of binary buffer"},
    {errors::binary_poke_out_of_range, "BinaryPoke: Value to poke is outside the allowable range"},
    {errors::binary_copy_beyond_source, "BinaryCopy: Source range beyond end of data"},
    {errors::binary_copy_beyond_target, "BinaryCopy: Target range beyond end of buffer"},
    {errors::binary_index_beyond_eod, "BinaryIndex: Start offset beyond end of data"},
    {errors::fp_too_many_dots, "FP Math: Illegal floating point number.  Too many dots."},
    {errors::fp_too_many_exponents, "FP Math: Illegal floating point number.  Too many E's."},
    {errors::not_a_float, "FP Math: Variable could not be converted to floating point"},
    {errors::structure_not_defined, "Internal Error: Command or Structop not defined"},
    {errors::nesting_too_deep, "Struct Error:  Nesting of structures is too complex"},
    {errors::no_matching_end, "END Error:  No matching End found"},
    {errors::break_outside_structure, "STRUCT Error:  'Break' not in a Structure"},
    {errors::continue_outside_structure, "STRUCT Error:  'Continue' not in a Structure"},
    {errors::end_without_match, "End Error: No match  found"},
    {errors::else_without_if, "Else Error: No matching If found"},
    {errors::break_continue_misplaced, "Break/Continue:  Not in a While, Switch, or For structure"},
    {errors::for_syntax, "For Error:  Bad Syntax.  e.g. 'For x = 1 to 10'"},
    {errors::for_counter_not_number, "For Error:  For counters must be numbers, not strings"},
    {errors::misplaced_to, "Misplaced 'TO' found without a DoFor"},
    {errors::unidentified_end, "Unidentified 'END': Must be followed by If, While, Switch or For"},
    {errors::switch_not_integer, "SWITCH/CASE Error: Switch/Case can only accept integers"},
    {errors::case_without_switch, "CASE Error:  No matching Switch found"},
    {errors::too_many_extenders, "AddExtender: Too many extenders added"},
    {errors::extender_not_found, "AddExtender: Extender DLL not found"},
    {errors::extender_not_valid, "AddExtender: Not a valid extender"},
    {errors::extender_table_full, "AddExtender: Extender table full"},
    {errors::extender_load_failed, "AddExtender: Extender could not be loaded"},
    {errors::function_not_available, "Function not available in this product"},
    {errors::previously_reported, "Previously reported error"},
    {errors::user_cancel, "User requested Cancel"},
};

std::string builtin_text(int number) {
    for (const Text& t : builtin_texts)
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
