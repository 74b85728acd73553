// The corpus of real NC programs that lies beside the repository
// (../shared/corpus); DRAVIK_CORPUS names another place.
#pragma once

#include <cstdlib>
#include <filesystem>

inline std::filesystem::path CorpusFolder() {
    if (const char* folder = std::getenv("DRAVIK_CORPUS"))
        return folder;
    // Set by the build from the source folder, so that the path does not depend
    // on how the compiler spelled __FILE__.
    return std::filesystem::path(DRAVIK_SOURCE_DIR) / "../shared/corpus";
}

inline std::filesystem::path CorpusFile(const char* name) {
    return CorpusFolder() / name;
}
