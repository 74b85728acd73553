// Paths as the program builds and compares them: "/" is the separator, a folder
// text never ends in "/" except the root itself, and a path typed by the operator
// is taken from the working folder or the home folder, never from the process's
// current folder. Paths are bytes; nothing here decodes or changes letter case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Joins a folder and a name without doubling the separator at the root.
std::string JoinPath(std::string_view folder, std::string_view name);
// The folder above path: "/a/b" gives "/a", "/a" gives "/"; the root stays the root.
std::string ParentPath(std::string_view path);
// A folder text as the program keeps it: no trailing "/" except the root itself.
std::string DropTrailingSeparator(std::string path);

// A path typed by the operator: "~" and "~/..." from the home folder, a relative path
// from base, "." and ".." resolved, no trailing separator.
std::string ResolveTypedPath(std::string_view typed, std::string_view base, std::string_view home);

// True when both paths name the same file or folder on disk.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);
// True when both name the same folder: the same directory on disk when it exists,
// else the same text after "." and ".." and trailing separators are resolved.
// Letter case counts: "/nc" and "/NC" are different folders here.
bool IsSameFolder(std::string_view a, std::string_view b);

// The extension of the mask: the mask without its first character (".NC" for "*.NC").
std::string MaskExtension(std::string_view mask);
