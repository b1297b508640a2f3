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
//
// A job that replaces many files in one folder (the merge of an update into
// every commodity's file), or in folders of one mounted file system (the
// exchange works across folders), can reuse its work file: the new content is
// written over the blocks of the work file left by the previous replacement,
// and the commit swaps work file and target in one atomic exchange, so the old content
// stays under the work file's name for the next one instead of being freed.
// Freeing and allocating the blocks of every file would cost about as much
// again as writing them. The job removes the work file when it ends
// (WorkFileRemoval).
enum class WorkFileMode { fresh, reuse };

class WorkFile {
public:
    // Creates (or, when fresh, empties) the work file; check is_open() before writing.
    WorkFile(std::string_view work_path, std::string_view target_path, WorkFileMode mode = WorkFileMode::fresh);
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

    // Starts the new content on its way to the disk at the commit, without
    // waiting for it: for a job that syncs the disk before it marks its work
    // done and writes other files meanwhile (the merge of an update file into
    // every commodity's file, the daily appends to the user's ASCII files),
    // whose sync then finds most of it written. For files of a few blocks
    // (MetaStock's) one sync at the end costs less.
    void write_ahead() { write_ahead_ = true; }

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path work_;
    std::filesystem::path target_;
    WorkFileMode mode_ = WorkFileMode::fresh;
    bool write_ahead_ = false;
};

// Removes a reused work file when the job that reused it ends, whichever way.
class WorkFileRemoval {
public:
    explicit WorkFileRemoval(std::string_view work_path);
    ~WorkFileRemoval();
    WorkFileRemoval(const WorkFileRemoval&) = delete;
    WorkFileRemoval& operator=(const WorkFileRemoval&) = delete;

private:
    std::filesystem::path work_;
};

}  // namespace qv
