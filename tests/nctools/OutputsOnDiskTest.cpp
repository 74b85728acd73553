// The files that split, join and doubling write are on the disk, with their
// names, before the tool reports them done; a flush that fails is a failure.
#include "files/TextDocument.h"
#include "nctools/AxisDoubling.h"
#include "nctools/FileJoin.h"
#include "nctools/SplitByProgram.h"
#include "support/SyncRecorder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    bool done = false;
    std::string error;
};

TEST(OutputsOnDisk, EveryToolFlushesItsFilesAndFolderBeforeItIsDone) {
    TempDir dir;
    TextDocument source;
    source.SetText("%\nO0001\nG00 X1.\nM30\n%\nO0002\nG01 X2.\nM30\n%\n");
    struct Case {
        const char* tool;
        std::vector<std::string> outputs;
        std::function<ToolRun()> run;
    } cases[] = {
        {"split",
         {"O0001.NC", "O0002.NC"},
         [&] {
             SplitResult r = SplitByProgram(source, dir.path(), {}, ".NC");
             return ToolRun{r.status == SplitStatus::Done, r.error};
         }},
        {"join",
         {"ALL.NC"},
         [&] {
             JoinResult r = JoinIntoFile(dir / "ALL.NC", 2,
                                         [&](size_t) -> const TextDocument* { return &source; });
             return ToolRun{r.ok, r.error};
         }},
        {"doubling",
         {"O1_2.NC"},
         [&] {
             DoublingOutcome r =
                 DoubleAxisToFile(source, {'X', dir.path().string(), "O1.NC", "O1_2.NC"}, {});
             return ToolRun{r.status == DoublingOutcome::Status::Done, r.error};
         }},
    };
    SyncRecorder syncs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        syncs.Clear();
        ToolRun run = c.run();
        ASSERT_TRUE(run.done) << run.error;
        for (const std::string& name : c.outputs)
            EXPECT_TRUE(syncs.OnDisk(dir / name)) << name;

        // The last output's flush fails: the tool reports the failure, naming it.
        const fs::path last = dir / c.outputs.back();
        syncs.Clear();
        syncs.FailFor(last);
        run = c.run();
        EXPECT_FALSE(run.done);
        EXPECT_EQ(run.error, last.string() + ": " + std::strerror(EIO));
        // So does a folder that cannot be flushed.
        syncs.Clear();
        syncs.FailFor(dir.path());
        run = c.run();
        EXPECT_FALSE(run.done);
        EXPECT_NE(run.error.find(std::strerror(EIO)), std::string::npos) << run.error;
    }
}

} // namespace
