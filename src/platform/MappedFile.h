// A read-only private mapping of a regular file: the data view shows a 150 MB
// program straight from the page cache instead of copying it into fresh memory.
// A file that another program shortens while it is mapped would end the process on
// the next access past its new end (SIGBUS); the mapping instead reads zeros there,
// so a view of a file that changed under it shows odd text but never crashes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Maps the whole of an open regular file of size bytes; an empty file maps to
    // nothing. False when the system refuses the mapping.
    bool Map(int fd, size_t size);

    const char* data() const { return data_; }
    size_t size() const { return size_; }
    std::string_view View() const { return {data_, size_}; }

private:
    void Unmap();

    const char* data_ = nullptr;
    size_t size_ = 0;
};
