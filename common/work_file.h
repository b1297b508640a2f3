#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace qv {

// Replaces a file so that a crash at any moment leaves either the old or the new
// file whole: the new content is written to a work file (TEMP_CLC.QVT, beside
// the target), flushed to the operating system and renamed over the target.
// With QUORVANT_FSYNC=1 the work file and its folder are also synced to the disk.
// A work file that is abandoned, fails or is destroyed without commit() is
// removed and the target stays as it was.
class WorkFile {
public:
    // Creates (or empties) the work file; check is_open() before writing.
    WorkFile(std::string_view work_path, std::string_view target_path);
    ~WorkFile();
    WorkFile(WorkFile&& other) noexcept;
    WorkFile& operator=(WorkFile&& other) noexcept;
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;

    bool is_open() const { return file_ != nullptr; }
    // The open work file, for fwrite/fputs/fprintf; null once committed or abandoned.
    std::FILE* file() const { return file_; }

    // Puts the work file in place of the target. False, with the work file
    // removed and the target untouched, when any write, the flush or the rename
    // failed.
    bool commit();
    void abandon();

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path work_;
    std::filesystem::path target_;
};

}  // namespace qv
