#include "files/HistoryList.h"

#include "platform/FileWrite.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <fstream>
#include <iterator>

bool LoadHistory(const std::filesystem::path& file, std::vector<std::string>& entries) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> loaded;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        loaded.push_back(DecodeToUtf8(line));
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
