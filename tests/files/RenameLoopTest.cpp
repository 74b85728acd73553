// The rename command on a real folder: one entry, the marked files by every kind,
// the questions, the pauses and the re-list as a fake host records them.
#include "files/RenameLoop.h"
#include "files/Listing.h"
#include "settings/Settings.h"
#include "support/FakeListingView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace fs = std::filesystem;

namespace {

struct FakeRenameHost : RenameHost {
    FileListModel* model = nullptr;
    TSettings* settings = nullptr;
    FakeView view;
    std::optional<RenameKind> kind;
    std::deque<std::optional<std::string>> names; // answers of TRNameForm, in turn
    std::vector<std::string> asked;
    std::vector<int> currentRows;
    std::vector<RenameFailure> failures;
    int waits = 0, waitedMs = 0, relists = 0, kindQuestions = 0;

    std::optional<RenameKind> AskKindForMarked() override {
        ++kindQuestions;
        return kind;
    }
    std::optional<std::string> AskNewName(const std::string& current) override {
        asked.push_back(current);
        std::optional<std::string> answer = names.front();
        names.pop_front();
        return answer;
    }
    void MakeCurrent(int row) override { currentRows.push_back(row); }
    void RowChanged(int) override {}
    void Wait(int ms) override {
        ++waits;
        waitedMs += ms;
    }
    void ReportFailures(const std::vector<RenameFailure>& f) override { failures = f; }
    void Relist() override {
        ++relists;
        ListDirectory(*model, *settings, view, false, false, false);
    }
};

struct RenameLoop : ::testing::Test {
    TempDir dir;
    TSettings settings;
    FileListModel model;
    FakeRenameHost host;

    void SetUp() override {
        settings.DirPath = dir.path().string();
        settings.ALLFiles = "Y";
        settings.FileSort = "N";
        settings.SortMuki = "D";
        host.model = &model;
        host.settings = &settings;
    }
    void Files(std::initializer_list<const char*> names) {
        for (const char* name : names)
            dir.Write(name, name); // each file holds its first name
        host.Relist();
        host.relists = 0;
    }
    int RowOf(const std::string& name) const {
        for (int row = 0; row < model.RowCount(); ++row)
            if (model.EntryName(row) == name)
                return row;
        return -1;
    }
    void Mark(std::initializer_list<const char*> names) {
        for (const char* name : names)
            model.marks.Add(RowOf(name));
    }
    void Run(int row) { RenameEntries(model, settings, row, SystemRenamer(), host); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(RenameLoop, EveryKindOnMarkedFilesWithFullWidthLetters) {
    struct Case {
        RenameKind kind;
        std::vector<std::string> after;
    } cases[] = {
        {RenameKind::Upper, {"b.TXT", "ＮＣ_O1.NC", "ＮＣ_O2.NC"}},
        {RenameKind::Lower, {"b.TXT", "ＮＣ_o1.nc", "ＮＣ_o2.nc"}},
        {RenameKind::Capitalised, {"b.TXT", "ＮＣ_o1.nc", "ＮＣ_o2.nc"}},
        {RenameKind::AsTyped, {"b.TXT", "ＮＣ_O2.nc", "ＮＣ_o1.Nc"}},
    };
    for (const Case& c : cases) {
        TempDir fresh;
        settings.DirPath = fresh.path().string();
        for (const char* name : {"ＮＣ_o1.Nc", "ＮＣ_O2.nc", "b.TXT"})
            fresh.Write(name, name);
        host = {};
        host.model = &model;
        host.settings = &settings;
        host.kind = c.kind;
        host.Relist();
        model.marks.Add(RowOf("ＮＣ_O2.nc"));
        model.marks.Add(RowOf("ＮＣ_o1.Nc"));
        Run(RowOf("b.TXT"));
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fresh.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.after) << static_cast<int>(c.kind);
        EXPECT_EQ(host.relists, 2) << "the list is listed again, also for kind 1";
        EXPECT_TRUE(host.failures.empty());
        // Marking order, 100 ms after each file; kind 1 goes through no file.
        EXPECT_EQ(host.waits, c.kind == RenameKind::AsTyped ? 0 : 2);
        EXPECT_EQ(host.waitedMs, host.waits * 100);
        if (c.kind != RenameKind::AsTyped) {
            EXPECT_EQ(host.currentRows.size(), 2u);
        }
    }
}

TEST_F(RenameLoop, KindFiveAsksForEachFileInMarkingOrderAndACancelSkipsOne) {
    Files({"A.NC", "B.NC", "C.NC"});
    Mark({"C.NC", "A.NC", "B.NC"});
    host.kind = RenameKind::OneByOne;
    host.names = {std::string("C2.NC"), std::nullopt, std::string("B2.NC")};
    Run(RowOf("A.NC"));
    EXPECT_EQ(host.asked, (std::vector<std::string>{"C.NC", "A.NC", "B.NC"}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.NC", "B2.NC", "C2.NC"}));
    EXPECT_EQ(TempDir::Read(dir / "C2.NC"), "C.NC");
    EXPECT_EQ(host.waits, 3);
}

TEST_F(RenameLoop, ANameThatExistsLeavesBothFilesAndIsReported) {
    Files({"O1.NC", "o1.nc", "O2.NC"});
    Mark({"o1.nc", "O2.NC"});
    host.kind = RenameKind::Upper;
    Run(RowOf("O1.NC"));
    // o1.nc would become O1.NC, which exists; O2.NC is already in upper case.
    EXPECT_EQ(Names(), (std::vector<std::string>{"O1.NC", "O2.NC", "o1.nc"}));
    EXPECT_EQ(TempDir::Read(dir / "O1.NC"), "O1.NC");
    EXPECT_EQ(TempDir::Read(dir / "o1.nc"), "o1.nc");
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].name, "o1.nc");
    EXPECT_EQ(host.failures[0].newName, "O1.NC");
    EXPECT_EQ(host.failures[0].outcome.status, RenameStatus::TargetExists);
}

TEST_F(RenameLoop, OneEntryIsRenamedAndStaysCurrent) {
    Files({"A.NC", "o1234.nc", "Z.NC"});
    fs::create_directory(dir / "sub");
    host.Relist();
    struct Step {
        const char* from;
        std::optional<std::string> answer;
        const char* current; // the entry current after the re-list
        int relists;
        size_t failures;
    } steps[] = {
        {"o1234.nc", std::string("O1234.NC"), "O1234.NC", 1, 0}, // letter case only
        {"O1234.NC", std::string("Z.NC"), "O1234.NC", 1, 1},     // exists: refused
        {"O1234.NC", std::string(""), "O1234.NC", 1, 0},         // empty: nothing
        {"O1234.NC", std::nullopt, nullptr, 0, 0},               // cancel: no re-list
        {"sub", std::string("sub2"), "sub2", 1, 0},              // a folder
    };
    for (const Step& step : steps) {
        host.relists = 0;
        host.failures.clear();
        host.names = {step.answer};
        Run(RowOf(step.from));
        EXPECT_EQ(host.relists, step.relists) << step.from;
        EXPECT_EQ(host.failures.size(), step.failures) << step.from;
        EXPECT_EQ(host.kindQuestions, 0);
        if (step.current) {
            EXPECT_EQ(model.EntryName(host.view.current), step.current) << step.from;
        }
        EXPECT_FALSE(model.renameRunning);
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.NC", "O1234.NC", "Z.NC", "sub2"}));
    EXPECT_EQ(TempDir::Read(dir / "Z.NC"), "Z.NC");
}

TEST_F(RenameLoop, CancelOfTheChoiceRenamesNothingAndDoesNotRelist) {
    Files({"a.nc", "b.nc"});
    Mark({"a.nc", "b.nc"});
    host.kind = std::nullopt;
    Run(RowOf("a.nc"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.nc", "b.nc"}));
    EXPECT_EQ(host.relists, 0);
    EXPECT_EQ(host.waits, 0);
    EXPECT_FALSE(model.renameRunning);
}

TEST_F(RenameLoop, NothingOnTheParentRowOrWithoutACurrentRow) {
    Files({"a.nc"});
    ASSERT_EQ(model.KindOf(0), RowKind::Parent);
    for (int row : {-1, 0}) {
        Run(row);
        EXPECT_TRUE(host.asked.empty());
        EXPECT_EQ(host.relists, 0);
    }
}

TEST_F(RenameLoop, TheListingWaitsWhileTheLoopRuns) {
    Files({"a.nc", "b.nc"});
    Mark({"a.nc", "b.nc"});
    // A listing asked for during a pause (the folder watch) does nothing; the loop
    // lists once at its end.
    struct WaitingHost : FakeRenameHost {
        FakeView other;
        void Wait(int ms) override {
            FakeRenameHost::Wait(ms);
            ListDirectory(*model, *settings, other, false, false, false);
        }
    } waiting;
    waiting.model = &model;
    waiting.settings = &settings;
    waiting.kind = RenameKind::Upper;
    RenameEntries(model, settings, RowOf("a.nc"), SystemRenamer(), waiting);
    EXPECT_EQ(waiting.waits, 2);
    EXPECT_EQ(waiting.other.shows, 0);
    EXPECT_EQ(waiting.relists, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.NC", "B.NC"}));
}

} // namespace
