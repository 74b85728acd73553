// Marking and paging on a model of plain rows: the marks shown must always be the
// marks in the mark list, never more than 100, and paging stays inside the list.
#include "files/ListSelection.h"

#include <gtest/gtest.h>

namespace {

FileListModel Rows(int parent, int folders, int files) {
    FileListModel model;
    model.parentRows = parent;
    if (parent)
        model.rows.push_back(" ..");
    for (int i = 0; i < folders; ++i) {
        model.folders.push_back({"D" + std::to_string(i), ""});
        model.rows.push_back(" D");
    }
    for (int i = 0; i < files; ++i) {
        model.files.push_back({"F" + std::to_string(i), "1", "", 1, 1});
        model.rows.push_back(" F");
    }
    return model;
}

std::vector<int> ShownMarks(const FileListModel& model) {
    std::vector<int> rows;
    for (int row = 0; row < model.RowCount(); ++row)
        if (model.IsMarked(row))
            rows.push_back(row);
    return rows;
}

std::vector<int> Span(int first, int last) {
    std::vector<int> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(row);
    return rows;
}

TEST(MarkList, NewMarksTakeTheFirstFreeSlotAndCompactKeepsOrder) {
    MarkList marks;
    EXPECT_EQ(marks.Slot(101), -1);
    marks.Add(7);
    marks.Add(3);
    marks.Add(9);
    marks.Remove(7);
    EXPECT_EQ(marks.Slot(1), -1);
    marks.Add(4);
    EXPECT_EQ(marks.Rows(), (std::vector<int>{4, 3, 9}));
    marks.Remove(3);
    marks.Compact();
    EXPECT_EQ(marks.Slot(1), 4);
    EXPECT_EQ(marks.Slot(2), 9);
    EXPECT_EQ(marks.Slot(3), -1);
    EXPECT_EQ(marks.Count(), 2);
    EXPECT_FALSE(marks.Remove(42));
    for (int row = 100; marks.Add(row); ++row) {
    }
    EXPECT_EQ(marks.Count(), 100);
    EXPECT_EQ(marks.Slot(101), -1);
}

TEST(Marking, HomeOnTheThirdOf500RowsMarksOneHundredRows) {
    FileListModel model = Rows(0, 0, 500);
    model.SetMarkColumn(0, true);
    model.marks.Add(0);
    model.SetMarkColumn(300, true); // a stray mark beyond the range goes too
    model.marks.multiSend = true;
    MarkFromCursor(model, 2);
    EXPECT_EQ(ShownMarks(model), Span(2, 101));
    EXPECT_EQ(model.marks.Rows(), Span(2, 101));
    EXPECT_FALSE(model.marks.multiSend);
}

TEST(Marking, HomeSkipsFolderRowsButCountsThemInTheHundred) {
    FileListModel model = Rows(1, 3, 200);
    MarkFromCursor(model, 0);
    EXPECT_EQ(ShownMarks(model), Span(4, 99));
    EXPECT_EQ(model.marks.Count(), 96);
    MarkFromCursor(model, 195); // near the end: what is left
    EXPECT_EQ(ShownMarks(model), Span(195, 203));
}

TEST(Marking, EnterTogglesUpToOneHundredMarks) {
    FileListModel model = Rows(1, 1, 101);
    EXPECT_FALSE(ToggleMark(model, 0));
    EXPECT_FALSE(ToggleMark(model, 1));
    for (int row = 2; row < 102; ++row)
        EXPECT_TRUE(ToggleMark(model, row));
    EXPECT_FALSE(ToggleMark(model, 102)); // the 101st stays unmarked
    EXPECT_FALSE(model.IsMarked(102));
    EXPECT_EQ(model.marks.Count(), 100);
    EXPECT_TRUE(ToggleMark(model, 50)); // unmark frees a slot ...
    EXPECT_FALSE(model.IsMarked(50));
    EXPECT_TRUE(ToggleMark(model, 102)); // ... which the next mark takes
    EXPECT_EQ(model.marks.Slot(49), 102);
    EXPECT_EQ(ShownMarks(model).size(), 100u);
}

TEST(Marking, EndUnmarksEverything) {
    FileListModel model = Rows(0, 0, 10);
    ToggleMark(model, 3);
    ToggleMark(model, 5);
    model.marks.multiSend = true;
    ClearAllMarks(model);
    EXPECT_TRUE(ShownMarks(model).empty());
    EXPECT_EQ(model.marks.Count(), 0);
    EXPECT_FALSE(model.marks.multiSend);
}

TEST(Marking, ShiftClickMarksFromTheLastClickedRowCutToOneHundred) {
    FileListModel model = Rows(1, 2, 300);
    ToggleMark(model, 250);
    model.lastClickedRow = 10;
    MarkRange(model, 5); // backwards, folder rows 1 and 2 outside
    EXPECT_EQ(ShownMarks(model), Span(5, 10));
    model.lastClickedRow = 1;
    MarkRange(model, 280);
    EXPECT_EQ(ShownMarks(model), Span(3, 100)); // rows 1 to 100, files only
    EXPECT_EQ(model.marks.Rows(), Span(3, 100));
    model.lastClickedRow = -1; // no anchor yet: the clicked row alone
    MarkRange(model, 40);
    EXPECT_EQ(ShownMarks(model), Span(40, 40));
}

struct PagingCase {
    int current, rowCount, listColumn, rowsPerColumn;
    int scrollTo, pageDown, pageUp;
};

TEST(Paging, PagesAreColumnsTimesRowsAndStayInsideTheList) {
    const PagingCase cases[] = {
        {5, 100, 2, 20, 60, 40, 0},   // PgDn passes row 60, lands on 40
        {45, 100, 2, 20, 99, 80, 0},  // PgUp from the second page: the first
        {85, 100, 2, 20, 99, 99, 40}, // last page: PgDn to the last row
        {0, 30, 2, 20, 29, 29, 0},    // one page: last row and row 0
        {130, 200, 5, 20, 199, 199, 0}, {250, 1000, 1, 20, 260, 260, 220}, {0, 0, 2, 20, 0, 0, 0},
    };
    for (const PagingCase& c : cases) {
        PageMove move = PageDownRows(c.current, c.rowCount, c.listColumn, c.rowsPerColumn);
        EXPECT_EQ(move.scrollTo, c.scrollTo) << "from " << c.current;
        EXPECT_EQ(move.current, c.pageDown) << "from " << c.current;
        EXPECT_EQ(PageUpRow(c.current, c.rowCount, c.listColumn, c.rowsPerColumn), c.pageUp)
            << "from " << c.current;
    }
}

} // namespace
