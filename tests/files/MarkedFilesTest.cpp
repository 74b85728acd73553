#include "files/MarkedFiles.h"

#include <gtest/gtest.h>

namespace {

// /nc with a parent row, folder SUB and files A.NC, B.NC, C.NC (rows 2 to 4).
FileListModel Model() {
    FileListModel model;
    model.parentRows = 1;
    model.folders = {{"SUB", ""}};
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        model.files.push_back({name, "1", "", 1});
    model.rows = {" ..", " SUB", " A.NC", " B.NC", " C.NC"};
    return model;
}

void Mark(FileListModel& model, int row) {
    model.marks.Add(row);
    model.SetMarkColumn(row, true);
}

TEST(MarkedFiles, CollectInSlotOrderAndUnmark) {
    FileListModel model = Model();
    Mark(model, 4);
    Mark(model, 2);
    Mark(model, 3);
    model.marks.Remove(2); // frees slot 2: C.NC, then B.NC after compaction
    model.SetMarkColumn(2, false);
    model.marks.Compact();
    EXPECT_EQ(CollectMarkedNames(model), (std::vector<std::string>{"C.NC", "B.NC"}));
    for (int row = 0; row < model.RowCount(); ++row)
        EXPECT_FALSE(model.IsMarked(row)) << row;
    EXPECT_EQ(model.marks.Count(), 2); // the caller empties the mark list
}

TEST(MarkedFiles, DeleteTargets) {
    FileListModel model = Model();
    Mark(model, 2);
    Mark(model, 3);
    Mark(model, 4);
    EXPECT_EQ(DeleteTargets(model, 0, "/nc"),
              (std::vector<std::string>{"/nc/A.NC", "/nc/B.NC", "/nc/C.NC"}));
    EXPECT_EQ(model.marks.Count(), 0);

    EXPECT_TRUE(DeleteTargets(model, 0, "/nc").empty()); // the parent row
    EXPECT_TRUE(DeleteTargets(model, -1, "/nc").empty());
    EXPECT_EQ(DeleteTargets(model, 1, "/"), (std::vector<std::string>{"/SUB"}));
    EXPECT_EQ(DeleteTargets(model, 3, "/nc"), (std::vector<std::string>{"/nc/B.NC"}));
}

} // namespace
