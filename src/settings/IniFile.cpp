#include "settings/IniFile.h"

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/TextCodec.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// "[name]" with optional blanks; returns false for anything else.
bool ParseHeader(std::string_view line, std::string_view* name) {
    std::string_view t = TrimBlanks(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string_view::npos)
        return false;
    *name = TrimBlanks(t.substr(1, close - 1));
    return true;
}

bool ParseKey(std::string_view line, std::string_view* key, std::string_view* value) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = TrimBlanks(t.substr(0, eq));
    *value = TrimBlanks(t.substr(eq + 1));
    return true;
}

} // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool ParseDecimalInt(std::string_view text, int* value) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 20)
        return false;
    std::string s(text);
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end != s.c_str() + s.size() || errno != 0 || v < INT_MIN || v > INT_MAX)
        return false;
    *value = static_cast<int>(v);
    return true;
}

IniFile IniFile::Load(const std::filesystem::path& path, std::string* error) {
    std::string bytes;
    std::error_code ec;
    // A missing file is no fault: the defaults stand. Anything else that cannot be read is.
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        if (error)
            error->clear();
        return {};
    }
    if (!ReadWholeFile(path, bytes, error))
        return {};
    if (error)
        error->clear();
    return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile ini;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            ini.lines_.push_back({std::string(bytes.substr(start))});
            break;
        }
        ini.lines_.push_back({std::string(bytes.substr(start, end - start))});
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return ini;
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += "\r\n";
    }
    return out;
}

bool IniFile::Save(const std::filesystem::path& path, std::string* error) const {
    return WriteFileAtomically(path, Serialize(), error);
}

int IniFile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (ParseHeader(lines_[i].text, &name) && SameNameIgnoringCase(name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int IniFile::SectionEnd(int header) const {
    size_t i = static_cast<size_t>(header) + 1;
    std::string_view name;
    while (i < lines_.size() && !ParseHeader(lines_[i].text, &name))
        ++i;
    return static_cast<int>(i);
}

int IniFile::FindKey(int header, std::string_view key) const {
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (ParseKey(lines_[i].text, &k, &v) && SameNameIgnoringCase(k, key))
            return i;
    }
    return -1;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    int header = FindSection(section);
    return header >= 0 && FindKey(header, key) >= 0;
}

namespace {

std::string ValueAs(std::string_view value, IniValue kind) {
    return kind == IniValue::Path ? std::string(value) : DecodeToUtf8(value);
}

} // namespace

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback, IniValue kind) const {
    int header = FindSection(section);
    int at = header >= 0 ? FindKey(header, key) : -1;
    if (at < 0)
        return std::string(fallback);
    std::string_view k, v;
    ParseKey(lines_[at].text, &k, &v);
    return ValueAs(v, kind);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
    int value = fallback;
    if (!ParseDecimalInt(ReadString(section, key, ""), &value))
        return fallback;
    return value;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string name(TrimBlanks(key));
    value = value.substr(0, value.find_first_of("\r\n"));
    std::string text = name + "=" + std::string(TrimBlanks(value));
    int header = FindSection(section);
    if (header < 0) {
        lines_.push_back({"[" + std::string(TrimBlanks(section)) + "]"});
        lines_.push_back({text});
        return;
    }
    int at = FindKey(header, name);
    if (at >= 0) {
        lines_[at].text = text;
        return;
    }
    // Append after the section's last non-blank line, so a blank separator stays last.
    int end = SectionEnd(header);
    while (end > header + 1 && TrimBlanks(lines_[end - 1].text).empty())
        --end;
    lines_.insert(lines_.begin() + end, Line{text});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSection(std::string_view section,
                                                                      IniValue kind) const {
    std::vector<std::pair<std::string, std::string>> pairs;
    int header = FindSection(section);
    if (header < 0)
        return pairs;
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (!ParseKey(lines_[i].text, &k, &v))
            continue;
        bool seen = false;
        for (const auto& p : pairs)
            seen = seen || SameNameIgnoringCase(p.first, k);
        if (!seen)
            pairs.emplace_back(DecodeToUtf8(k), ValueAs(v, kind));
    }
    return pairs;
}
