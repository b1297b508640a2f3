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
    {errors::menu_open_failed, "Menu file file open error. Maybe it does not exist???"},
    {errors::menu_out_of_memory, "Out of memory for menu file"},
    {errors::menu_lock_failed, "Unable to lock memory for menu file"},
    {errors::menu_read_error, "File I/O error reading menu file"},
    {errors::menu_needs_first_title, "Need First level menu title.  Not found."},
    {errors::menu_bar_failed, "Could not create menu bar"},
    {errors::menu_needs_second_title, "Need batch code or second level menu title. Not found."},
    {errors::menu_needs_top_title, "Need batch code or top level menu title. Not found."},
    {errors::menu_popup1_failed, "Could not create first level popup menu"},
    {errors::menu_popup2_failed, "Could not create second level popup menu"},
    {errors::menu_popup3_failed, "Could not create third level popup menu"},
    {errors::menu_needs_third_title, "Need batch code or third level menu title. Not found."},
    {errors::menu_needs_first_or_second_title, "Need batch code or 1st or 2nd level menu title. Not found."},
    {errors::menu_needs_fourth_title, "Need batch code or fourth level menu title. Not found."},
    {errors::menu_select_open_failed, "Menu file open error. Maybe it was deleted or renamed???"},
    {errors::menu_select_out_of_memory, "Out of memory for menu item code"},
    {errors::menu_select_lock_failed, "Unable to lock memory for menu item code"},
    {errors::menu_select_read_error, "File I/O error reading menu file"},
    {errors::menu_ended_unexpectedly, "Menu file ended unexpectedly, or menu is invalid."},
    {errors::menu_changed, "Menu file has changed since it was loaded.  Menus will be reloaded."},
    {errors::menu_needs_first_to_third_title, "Need batch code, 1st, 2nd or 3rd level menutitle. Not found"},
    {errors::menu_needs_code_after_fourth, "Need batch code after fourth level menutitle.  Not found"},
    {errors::menu_needs_any_title, "Need batch code or 1st, 2nd, 3rd or 4th level menutitle. Not found"},
    {errors::menu_too_many_items, "Too many menu items defined for current application."},
    {700, "Resize window on screen"},
    {701, "Move window on screen"},
    {702, "Reduce window to an icon"},
    {703, "Enlarge window to full size"},
    {704, "Switch to the next window"},
    {705, "Switch to the previous window"},
    {706, "Close the window"},
    {707, "Scroll vertically"},
    {708, "Scroll horizontally"},
    {709, "Open the window menu with the mouse"},
    {716, "Open the window menu with the keyboard"},
    {717, "Arrange the icons"},
    {718, "Restore window to normal size"},
    {719, "Get Task Manager"},
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
    {errors::file_move_no_match, "FileMove: No matching source files found"},
    {errors::file_move_failed, "FileMove: Move failed"},
    {errors::file_move_target_kept, "FileMove: Existing target file not replaced"},
    {errors::file_move_bad_target, "FileMove: Invalid target name"},
    {errors::file_move_same_file, "FileMove: Source and target are the same file"},
    {errors::file_copy_no_match, "FileCopy: No matching source files found"},
    {errors::file_copy_failed, "FileCopy: Copy failed"},
    {errors::file_copy_bad_target, "FileCopy: Invalid target name"},
    {errors::file_copy_same_file, "FileCopy: Source and target are the same file"},
    {errors::file_append_not_found, "FileAppend: Source file not found"},
    {errors::file_append_open_failed, "FileAppend: Target file could not be opened"},
    {errors::file_append_failed, "FileAppend: Write to target file failed"},
    {errors::file_rename_failed, "FileRename: Rename failed"},
    {errors::file_delete_failed, "FileDelete: Delete failed"},
    {errors::logdisk_bad_drive, "LogDisk: Requested drive not found"},
    {errors::dir_make_failed, "DirMake: Folder could not be created"},
    {errors::dir_remove_failed, "DirRemove: Folder could not be removed"},
    {errors::dir_change_failed, "DirChange: Folder could not be entered"},
    {errors::file_open_failed, "FileOpen: Open failed"},
    {errors::file_attr_get_failed, "FileAttrGet: File not found"},
    {errors::file_attr_set_failed, "FileAttrSet: Attributes could not be set"},
    {errors::file_time_get_failed, "FileTimeGet: File not found"},
    {errors::file_time_touch_failed, "FileTimeTouch: File time could not be set"},
    {errors::ole_initiate_failed, "OleInitiate: OLE automation is not available"},
    {errors::dde_terminate_failed, "DDETerminate: Invalid DDE channel"},
    {errors::reg_open_failed, "RegOpenKey: Key not found"},
    {errors::reg_create_failed, "RegCreateKey: Key could not be created"},
    {errors::net_failed, "Net: Network request failed"},
    {errors::play_sounds_failed, "PlaySounds: Sound could not be played"},
    {errors::play_media_failed, "PlayMedia: Media command failed"},
    {errors::reg_delete_key_not_found, "RegDeleteKey: Key not found"},
    {errors::reg_close_failed, "RegCloseKey: Invalid key handle"},
    {errors::reg_set_value_failed, "RegSetValue: Value could not be set"},
    {errors::reg_query_value_failed, "RegQueryValue: Value not found"},
    {errors::exe_type_not_found, "ExeTypeInfo/RunEnviron: Program file not found"},
    {errors::run_environ_failed, "RunEnviron: Program could not be started"},
    {errors::environ_set_failed, "EnvironSet: Environment variable could not be set"},
    {errors::dll_not_loaded, "Dll: Library could not be loaded"},
    {errors::dll_function_not_found, "Dll: Function not found in library"},
    {errors::dll_call_bad_handle, "DllCall: Invalid library handle"},
    {errors::dll_call_no_function, "DllCall: Function not found"},
    {errors::icon_replace_failed, "IconReplace: Icons cannot be replaced"},
    {errors::file_full_name_failed, "FileFullName: Invalid file name"},
    {errors::file_map_name_failed, "FileMapName: Invalid mask"},
    {errors::ini_private_failed, "IniPrivate functions: INI file could not be written"},
    {errors::dll_call_bad_argument, "DllCall: Invalid argument type"},
    {errors::dll_call_too_many, "DllCall: Too many arguments"},
    {errors::dll_call_bad_result, "DllCall: Invalid return type"},
    {errors::request_ignored, "Request Ignored: Not available on this system"},
    {errors::file_compare_first, "FileCompare: First file not found"},
    {errors::file_compare_second, "FileCompare: Second file not found"},
    {errors::reg_bad_handle, "REG Functions: Invalid key handle"},
    {errors::file_copy_no_room, "FileCopy: Not enough room on the target disk"},
    {errors::file_move_no_room, "FileMove: Not enough room on the target disk"},
    {errors::file_append_no_room, "FileAppend: Not enough room on the target disk"},
    {errors::shortcut_failed, "Shortcut functions: No desktop to hold shortcuts"},
    {errors::dir_attr_get_failed, "DirAttrGet: Folder not found"},
    {errors::dir_attr_set_failed, "DirAttrSet: Attributes could not be set"},
    {errors::file_name_long_failed, "FileNameLong: File not found"},
    {errors::file_name_short_failed, "FileNameShort: File not found"},
    {errors::reg_app_failed, "RegApp: Program path could not be registered"},
    {errors::reg_del_value_failed, "RegDelValue: Value not found"},
    {errors::install_source_not_found, "InstallFile: Source file not found"},
    {errors::install_failed, "InstallFile: Target file could not be written"},
    {errors::shell_execute_failed, "ShellExecute: File could not be opened"},
    {errors::reg_query_item_failed, "RegQueryItem: Key not found"},
    {errors::reg_bad_key_name, "REG Functions: Invalid key name"},
    {errors::reg_query_bin_failed, "RegQueryBin: Value not found"},
    {errors::reg_store_failed, "REG Functions: Registry store could not be written"},
    {errors::reg_query_dword_failed, "RegQueryDword: Value not found"},
    {errors::reg_set_bin_failed, "RegSetBin: Invalid binary data"},
    {errors::reg_set_dword_failed, "RegSetDword: Invalid number"},
    {errors::reg_wrong_type, "REG functions: Value is of another type"},
    {errors::disk_info_bad_drive, "DiskInfo: Invalid drive"},
    {errors::disk_info_bad_request, "DiskInfo: Invalid request"},
    {errors::reg_query_expsz_failed, "RegQueryExpSz: Value not found"},
    {errors::reg_query_mulsz_failed, "RegQueryMulSz: Value not found"},
    {errors::reg_bad_delimiter, "RegQueryMulSz/RegSetMulSz: Invalid delimiter"},
    {errors::reg_query_ex_failed, "RegQueryEx: Value not found"},
    {errors::reg_set_ex_failed, "RegSetEx: Invalid value type"},
    {errors::reg_entry_type_failed, "RegEntryType: Value not found"},
    {errors::file_ver_info_failed, "FileVerInfo: File has no version information"},
    {errors::reg_connect_failed, "RegConnect: Remote registries are not available"},
    {errors::disk_vol_info_bad_drive, "DiskVolInfo: Invalid drive"},
    {errors::disk_vol_info_bad_request, "DiskVolInfo: Invalid request"},
    {errors::reg_load_hive_failed, "RegLoadHive: Hives cannot be loaded into this registry"},
    {errors::reg_unload_hive_failed, "RegUnloadHive: Hives cannot be unloaded from this registry"},
    {errors::reg_exist_value_failed, "RegExistValue: Invalid key handle"},
    {errors::clip_get_ex_bad_format, "ClipGetEx: Invalid clipboard format"},
    {errors::clip_get_ex_unavailable, "ClipGetEx: Clipboard format not available"},
    {errors::reg_delete_key_failed, "RegDeleteKey: Key could not be deleted"},
    {errors::win_version_bad_request, "WinVersion: Invalid request"},
    {errors::file_time_ex_not_found, "FileTimeGet/SetEx: File not found"},
    {errors::file_time_ex_bad_type, "FileTimeGet/SetEx: Invalid time type"},
    {errors::dir_size_not_found, "DirSize: Folder not found"},
    {errors::file_delete_no_match, "FileDelete: No matching files found"},
    {errors::file_read_line_too_long, "FileRead: Line too long"},
    {errors::ini_itemize_pvt_failed, "IniItemizePvt: INI file not found"},
    {errors::exec_no_memory, "WinExec 0: Out of memory or resources"},
    {errors::exec_not_found, "WinExec 2: File not found"},
    {errors::exec_path_not_found, "WinExec 3: Path not found"},
    {errors::exec_access_denied, "WinExec 5: Access denied"},
    {errors::exec_bad_format, "WinExec 11: Invalid program file"},
    {errors::exec_undefined, "WinExec: Undefined Error"},
    {errors::exec_no_application, "WinExec: No application defined for data file"},
    {errors::file_size_not_found, "FileSize: File not found"},
    {errors::copy_move_several_to_one, "FileCopy/Move: Several source files need a wildcard or folder target"},
    {errors::file_append_same_file, "FileAppend: Source and target are the same file"},
    {errors::dir_rename_failed, "Dir Rename: Rename failed"},
    {errors::dir_rename_target_exists, "Dir Rename: Target folder exists"},
    {errors::dll_load_failed, "DllLoad: Library could not be loaded"},
    {errors::logdisk_empty, "LogDisk: No drive given"},
    {errors::file_open_bad_mode, "FileOpen: READ or WRITE not properly specified"},
    {errors::file_open_too_many, "FileOpen: Too many (>5) files open"},
    {errors::file_close_bad_handle, "FileClose: Invalid file handle"},
    {errors::file_close_not_open, "FileClose: File not currently open"},
    {errors::file_read_bad_handle, "FileRead: Invalid file handle"},
    {errors::file_read_not_open, "FileRead: File not currently open"},
    {errors::file_write_bad_handle, "FileWrite: Invalid file handle"},
    {errors::file_write_not_open, "FileWrite: File not currently open"},
    {errors::file_read_not_readable, "FileRead:  File not open for reading"},
    {errors::file_read_past_end, "FileRead: Attempt to read past end of file"},
    {errors::file_write_not_writable, "FileWrite: File not open for writing"},
    {errors::run_no_program, "Run: No program name given"},
    {errors::file_itemize_bad_mask, "FileItemize: Invalid file mask"},
    {errors::file_size_no_name, "FileSize: No file name given"},
    {errors::file_delete_no_name, "FileDelete: No file name given"},
    {errors::file_rename_no_name, "FileRename: File name missing or wildcard used"},
    {errors::copy_move_no_name, "FileCopy/Move: File name missing"},
    {errors::ole_terminate_failed, "OleTerminate: Invalid object handle"},
    {errors::dde_initiate_failed, "DDEInitiate: DDE conversations are not available"},
    {errors::play_media_no_player, "PlayMedia: No media player available"},
    {errors::run_exit_failed, "RunExit: Program could not be started"},
    {errors::eval_disk_bad_drive, "EvalDisk: Invalid drive name"},
    {errors::file_name_bad, "File Name Parsing: File name too long"},
    {errors::dll_call_syntax, "DllCall: Invalid function description"},
    {errors::disk_exist_bad_drive, "DiskExist: Invalid drive name"},
    {errors::ini_itemize_failed, "IniItemize: INI file could not be read"},
    {errors::shell_print_failed, "ShellPrint: No print command for the file"},
    {errors::dll_free_bad_handle, "DllFree: Invalid library handle"},
    {errors::file_write_failed, "FileWrite: Write failed"},
    {errors::copy_move_bad_target, "FileCopy/Move: Target wildcard does not fit the source"},
    {errors::dde_execute_failed, "DDEExec: Invalid DDE channel"},
    {errors::dde_request_failed, "DDEReq: Invalid DDE channel"},
    {errors::dde_poke_failed, "DDEPoke: Invalid DDE channel"},
    {errors::wait_for_key_failed, "WaitForKey: No keyboard to wait for"},
    {errors::ignore_input_failed, "IgnoreInput: Input cannot be blocked"},
    {errors::shortcut_dir_failed, "ShortcutDir: No desktop folders exist"},
    {errors::ask_too_many_selected, "Ask Multiple:  More than 99 items selected.  Too Many."},
    {errors::ask_file_name_none, "AskFileName: No file name was chosen"},
    {errors::ask_directory_unreadable, "AskDirectory: Folder could not be read"},
    {errors::ask_directory_missing, "AskDirectory: Folder does not exist"},
    {errors::dialog_window_failed, "Dialog Box: Window Creation Failed"},
    {errors::dialog_name_too_long, "Dialog: Dialog name too long (>16 chars)"},
    {errors::dialog_format_missing, "Dialog: Format variable missing"},
    {errors::dialog_format_unsupported, "Dialog: Format version not supported"},
    {errors::dialog_bad_geometry, "Dialog: x, y, width or height variables bad"},
    {errors::dialog_control_missing, "Dialog: Control definition variable missing"},
    {errors::dialog_bad_control_type, "Dialog: Bad Control type in definition variable"},
    {errors::dialog_bad_button_value, "Dialog: Bad or missing Value for Radio/Checkbox button"},
    {errors::dialog_too_many_fields, "Dialog: Too many items in definition variable"},
    {errors::ask_bad_mode, "AskBox Error: Invalid sort or selection mode"},
    {errors::ask_file_unreadable, "AskBox Error: File could not be read"},
    {errors::previously_reported, "Previously reported error"},
    {errors::user_cancel, "User requested Cancel"},
    // Windows, keys and the mouse.
    {errors::win_close_not_found, "WinClose: Window not found"},
    {errors::win_hide_not_found, "WinHide: Window not found"},
    {errors::win_iconize_not_found, "WinIconize: Window not found"},
    {errors::win_zoom_not_found, "WinZoom: Window not found"},
    {errors::win_show_not_found, "WinShow: Window not found"},
    {errors::win_place_not_found, "WinPlace: Window not found"},
    {errors::win_activate_not_found, "WinActivate: Window not found"},
    {errors::win_position_not_found, "WinPosition: Window not found"},
    {errors::win_title_not_found, "WinTitle: Window not found"},
    {errors::win_exe_name_not_found, "WinExeName: Window not found"},
    {errors::win_place_get_set_not_found, "WinPlaceGet/Set: Window not found"},
    {errors::win_place_get_set_failed, "WinPlaceGet/Set: Window position could not be read or set"},
    {errors::snapshot_failed, "SnapShot: Screen image could not be copied"},
    {errors::win_help_failed, "WinHelp: Help could not be shown"},
    {errors::win_is_dos_not_found, "WinIsDos: Window not found"},
    {errors::send_menus_to_not_found, "SendMenusTo: Window not found"},
    {errors::send_menus_to_no_item, "SendMenusTo: Menu item not found"},
    {errors::send_menus_to_no_menu, "SendMenusTo: Window menus cannot be reached"},
    {errors::win_item_child_not_found, "WinItemChild: Window not found"},
    {errors::activate_child_not_found, "ActivateChild: Child window not found"},
    {errors::win_id_get_not_found, "WinIdGet: Window not found"},
    {errors::win_sys_info_failed, "WinSysInfo: System information not available"},
    {errors::mouse_window_not_found, "Mouse Functions: Window not found"},
    {errors::mouse_child_not_found, "Mouse Functions: Child window not found"},
    {errors::mouse_bad_click, "Mouse Functions: Invalid click type"},
    {errors::mouse_bad_coordinates, "Mouse Functions: Invalid coordinates"},
    {errors::mouse_input_failed, "Mouse Functions: Mouse input could not be sent"},
    {errors::mouse_click_btn_not_found, "MouseClickBtn: Button not found"},
    {errors::win_itemize_ex_bad_multiple, "WinItemizeEx: Invalid 'multiple' flag"},
    {errors::win_itemize_ex_bad_hidden, "WinItemizeEx: Invalid 'hidden' flag"},
    {errors::win_item_proc_id_bad_id, "WinItemProcId: Invalid process ID"},
    {errors::win_item_proc_id_bad_flags, "WinItemProcId: Invalid flags"},
    {errors::win_item_proc_id_bad_format, "WinItemProcId: Invalid format"},
    {errors::win_item_proc_id_failed, "WinItemProcId: Window list not available"},
    {errors::mouse_coords_not_found, "MouseCoords: Window not found"},
    {errors::send_key_failed, "SendKey: Keystrokes could not be sent"},
    {errors::win_metrics_bad_request, "WinMetrics: Invalid request"},
    {errors::win_resources_bad_request, "WinResources: Invalid request"},
    {errors::win_parm_bad_parameter, "WinParmGet/Set: Invalid parameter"},
    {errors::win_place_bad_type, "WinPlaceGet/Set: Invalid position type"},
    {errors::win_place_set_bad_position, "WinPlaceSet: Invalid position string"},
    {errors::mouse_info_bad_request, "MouseInfo: Invalid request"},
    {errors::snapshot_bad_request, "SnapShot: Invalid request"},
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
