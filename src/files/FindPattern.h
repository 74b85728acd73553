// The find dialog's narrowing: the search pattern for the files whose names begin
// with a typed text and match the mask. The listing compares names with it without
// regard to letter case.
#pragma once

#include <string>
#include <string_view>

// DirPath + "/" + text + mask, one trailing "*" of text dropped (the mask brings its own).
std::string FindSearchPattern(std::string_view dirPath, std::string_view text,
                              std::string_view mask);
