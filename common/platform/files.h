#pragma once

// Files and folders as the tools knew them on DOS: opened by any form of path,
// read as text lines with LF or CR LF ends, listed by DOS wildcards with names
// matched without regard to case, and renamed without ever replacing a file
// that already has the new name.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Every function here takes a path in any form translate_path() accepts.

struct FileCloser {
    void operator()(std::FILE* file) const noexcept;
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen on the translated path; null when it cannot be opened.
FilePtr open_file(std::string_view path, const char* mode);

// Reads one text line as fgets would into a buffer of max_chars + 1: at most
// max_chars characters, the line feed included when it fits. A carriage return
// just before the line feed is dropped. False at the end of the file.
bool read_line(std::FILE* file, std::string& line, std::size_t max_chars);

// Reads one whole line, however long, with its line feed when it has one (a
// CR LF line end reads as LF, as with read_line). False at the end of the file.
bool read_whole_line(std::FILE* file, std::string& line);

// Reads one line of a file whose lines have a limit: at most max_chars
// characters are kept, then the line feed when the line has one. The rest of
// a longer line is read and dropped rather than taken for a line of its own.
// False at the end of the file.
bool read_limited_line(std::FILE* file, std::string& line, std::size_t max_chars);

// A file (not a folder) exists. A name ending in ".EXE" that is not on disk is
// looked for as one of the suite's programs beside the running program, so that
// a check for "\QUORVANT\MKPICKS.EXE" finds the suite's MKPICKS.
// Writes every byte to a file descriptor, again after an interrupted or short
// write; false when the descriptor takes no more.
bool write_all_bytes(int fd, std::string_view bytes);

// Copies `length` bytes of `from`, starting at its byte `offset`, to `to` at
// its current position, in the kernel (copy_file_range) where the file system
// allows it and through a buffer where it does not; neither stream's buffered
// data is involved (`to` is flushed first) and `to` ends after the bytes
// copied. False when a byte could not be read or written (a full disk, a
// source shorter than asked).
bool copy_file_bytes(std::FILE* from, std::uintmax_t offset, std::uintmax_t length, std::FILE* to);

// Up to `length` bytes of a file from its byte `offset` (fewer at its end),
// read by position without moving the stream, so that the tail of a long file
// is read alone. False when the file cannot be read.
bool read_file_bytes(std::FILE* file, std::uintmax_t offset, std::size_t length, std::string& bytes);

// The size of an open file.
std::optional<std::uintmax_t> open_file_size(std::FILE* file);
// An open file may not be written to (as is_read_only, without a look-up of its path).
bool open_file_read_only(std::FILE* file);

bool file_exists(std::string_view path);
// The bytes of a file whose path was found on disk already (by translate_path()
// or a folder listing), read whole without translating the path again: for a
// job that reads many files of one folder it has listed once. False when the
// file cannot be opened or read.
bool read_found_file(const std::filesystem::path& found, std::string& bytes);
bool folder_exists(std::string_view path);
// A file (not a folder) exists under its name exactly as the path writes it
// (the folders above it are found whatever their case): the quick look for a
// name whose case is known, without listing the folder for it in another case.
bool file_exists_as_written(std::string_view path);
std::optional<std::uintmax_t> file_size(std::string_view path);

// Renames a file as DOS does: it fails when another file already has the new
// name, so that no file is ever lost by a rename. A rename that changes only the
// case of a name is allowed.
bool rename_file(std::string_view from, std::string_view to);
bool delete_file(std::string_view path);
bool make_writable(std::string_view path);
bool make_read_only(std::string_view path);
// The file may be written to (DOS: its read-only attribute is clear).
bool is_writable(std::string_view path);
// A file (not a folder) that exists and may not be written to (DOS: its
// read-only attribute is set), found with one look-up.
bool is_read_only(std::string_view path);
// Creates the folder and every missing folder above it; true when it exists afterwards.
bool create_folders(std::string_view path);
// Both folders are on one mounted file system, so that a file can be renamed
// from one into the other. False when it cannot be told.
bool on_same_mount(std::string_view folder, std::string_view other);

// Brings everything written so far on the file systems that hold these
// folders to the disk: one syncfs for each file system, however many files
// were replaced there. Done before a name says that work is finished (an
// update file's done name), so that the name never outlives the data after a
// power failure. Folders that do not exist are passed over; false when a sync
// failed.
bool sync_to_disk(const std::vector<std::string>& folders);

struct FolderEntry {
    std::string name;
    std::uintmax_t size = 0;
    bool is_folder = false;
};

// DOS wildcard match ("*", "?", "name.ext" rules), without regard to case.
// The pattern's part before its last dot is matched against the name's part
// before its last dot and likewise the extensions, so "*.*" also matches a name
// without a dot; a "?" at the end of a part may match nothing, as in DOS.
// A pattern without a dot is matched against the whole name.
bool wildcard_match(std::string_view pattern, std::string_view name);

// The entries of a folder whose names match the wildcard in the last component
// of the pattern ("\QUORVANT\UPDATES\?U??????.CLC"), in byte order of the names.
// Files only, as a DOS search for normal files finds them, unless
// include_folders is set.
std::vector<FolderEntry> list_matching(std::string_view pattern, bool include_folders = false);

// The folder of the running program (where the suite's programs live).
std::filesystem::path program_folder();

// One of the suite's programs, named with or without a folder or ".EXE" in any
// case ("\QUORVANT\MKPICKS.EXE", "dforge"), found in the folder of the running
// program; nothing when there is no such program there.
std::optional<std::filesystem::path> find_suite_program(std::string_view name);

}  // namespace qv
