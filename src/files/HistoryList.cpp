#include "files/HistoryList.h"

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/TextCodec.h"

#include <algorithm>

bool LoadHistory(const std::filesystem::path& file, std::vector<std::string>& entries,
                 HistoryKind kind) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes))
        return false;
    std::vector<std::string> loaded;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        loaded.push_back(kind == HistoryKind::Paths ? std::string(line) : DecodeToUtf8(line));
        pos = end + 1;
    }
    entries = std::move(loaded);
    return true;
}

bool SaveHistory(const std::filesystem::path& file, const std::vector<std::string>& entries,
                 std::string* error) {
    std::string bytes;
    for (const std::string& entry : entries)
        bytes += entry + "\r\n";
    return WriteFileAtomically(file, bytes, error);
}

void UpdateHistory(std::vector<std::string>& entries, const std::string& text) {
    entries.insert(entries.begin(), text);
    auto again = std::find(entries.begin() + 1, entries.end(), text);
    if (again != entries.end())
        entries.erase(again);
    if (entries.size() > kHistoryLimit)
        entries.resize(kHistoryLimit);
}
