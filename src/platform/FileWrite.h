// Whole-file writes of the program's own files (settings, history lists, log), and
// the flushes that put written files on the disk before they are reported done.
// A write goes to a temporary file beside the target and is renamed over it, so a
// failed write never leaves a half-written settings file. Tests replace the
// system calls through the hook to inject EACCES, EROFS or ENOSPC.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);
bool AppendToFile(const std::filesystem::path& path, std::string_view bytes,
                  std::string* error = nullptr);

// A file that appears whole or not at all: the bytes go, in large blocks, to a new
// temporary file beside the target, which Commit renames over it. Until then the
// target is untouched, and a writer destroyed or discarded without a commit removes
// its temporary, so a failed write (no permission, disk full) never leaves a
// half-written file under the target's name. A replaced file keeps its permissions.
class WholeFileWriter {
public:
    WholeFileWriter() = default;
    ~WholeFileWriter() { Discard(); }
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // Starts the file of path (any file not yet committed is discarded first).
    bool Open(const std::filesystem::path& path);
    // Buffers bytes; false once a write has failed (the error is kept).
    bool Append(std::string_view bytes);
    // Puts the file in place of path; false when any step failed. durable: the data
    // reaches the disk before the rename and the new name after it, so that a file
    // reported as written survives a power cut. Without it (a writer of many files
    // that flushes them together with SyncToDisk) the rename still never shows a
    // partial file.
    bool Commit(bool durable = false);
    // Drops the file being written; the target is left as it was.
    void Discard();
    bool IsOpen() const { return fd_ >= 0; }
    // "path: reason" of the first failure since Open.
    const std::string& Error() const { return error_; }

private:
    // A whole-file write is one call of the test seam, however it is done.
    friend bool WriteFileAtomically(const std::filesystem::path&, std::string_view, std::string*);
    explicit WholeFileWriter(bool faultEachBlock) : faultEachBlock_(faultEachBlock) {}
    bool WriteBlock(std::string_view bytes);
    bool Flush();
    bool Fail(int err);

    bool faultEachBlock_ = true;
    int fd_ = -1;
    std::filesystem::path path_;
    std::filesystem::path temp_;
    std::string block_;
    std::string error_;
};

// Flushes an open file to the disk (path names it in the error and for the test
// seam); 0 or the errno of the failure.
int SyncOpenFile(int fd, const std::filesystem::path& path);
// Flushes the names in a folder (a file created, renamed or removed there) to the
// disk; an empty path means the current folder. 0 or the errno of the failure.
int SyncFolder(const std::filesystem::path& folder);
// Flushes files already written and closed, then each folder holding them, to the
// disk. The files are flushed side by side, so that the disk commits them together
// instead of one by one. False with "path: reason" of a file or folder that failed.
bool SyncToDisk(const std::vector<std::filesystem::path>& files, std::string* error = nullptr);

// Test seam: when set, called with the file or folder before each flush to the
// disk, one call at a time; a non-zero errno fails that flush.
using FileSyncHook = std::function<int(const std::filesystem::path&)>;
void SetFileSyncHookForTest(FileSyncHook hook);

// Test seam: when set, called before each write (each block of a WholeFileWriter
// too); a non-zero errno fails the write.
using FileWriteFault = std::function<int(const std::filesystem::path&)>;
void SetFileWriteFaultForTest(FileWriteFault fault);
