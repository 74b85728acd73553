// The file list widget: column-wise geometry, painting of folder, file, marked and
// current rows, and what the key and mouse hooks receive.
#include "files/qt/FileListBox.h"
#include "files/FileListModel.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

FileListModel ModelWithRows(int parent, int folders, int files) {
    FileListModel model;
    model.parentRows = parent;
    if (parent)
        model.rows.push_back(" ..              <DIR> ");
    for (int i = 0; i < folders; ++i) {
        model.folders.push_back({"D" + std::to_string(i), ""});
        model.rows.push_back(" D" + std::to_string(i));
    }
    for (int i = 0; i < files; ++i) {
        model.files.push_back({"F" + std::to_string(i), "1", "", 1});
        model.rows.push_back(" F" + std::to_string(i));
    }
    return model;
}

struct ListFixture : ::testing::Test {
    FileListModel model = ModelWithRows(1, 2, 97);
    FileListBox list;
    void SetUp() override {
        list.resize(616, 338);
        list.SetColumns(2);
        list.SetModel(&model);
        list.SetItemIndex(0);
    }
};

TEST_F(ListFixture, RowsRunDownEachColumnThenAcross) {
    int perColumn = list.RowsPerColumn();
    ASSERT_EQ(perColumn, list.viewport()->height() / 16);
    ASSERT_GE(perColumn, 18);
    QPoint origin(0, 0);
    EXPECT_EQ(list.RowAt(origin + QPoint(10, 3)), 0);
    EXPECT_EQ(list.RowAt(origin + QPoint(10, 16 + 3)), 1);
    EXPECT_EQ(list.RowAt(origin + QPoint(list.ColumnWidth() + 10, 3)), perColumn);
}

TEST_F(ListFixture, MakingARowCurrentScrollsByWholeColumns) {
    int perColumn = list.RowsPerColumn();
    list.SetItemIndex(2 * perColumn); // third column: scroll by one
    EXPECT_EQ(list.horizontalScrollBar()->value(), 1);
    EXPECT_EQ(list.TopIndex(), perColumn);
    list.SetItemIndex(0);
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetItemIndex(5000);
    EXPECT_EQ(list.ItemIndex(), 99);
    list.SetItemIndex(-7);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST_F(ListFixture, RowsChangedKeepsTheCurrentRowInsideTheList) {
    list.SetItemIndex(80);
    model = ModelWithRows(0, 0, 3);
    list.RowsChanged();
    EXPECT_EQ(list.ItemIndex(), 2);
    model = FileListModel();
    list.RowsChanged();
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ListFixture, PaintsFoldersAquaFilesWhiteAndTheCurrentRowInverted) {
    model.rows[3] = "*F0"; // a marked file row
    list.SetItemIndex(1);  // a folder row
    QImage image = list.viewport()->grab().toImage();
    auto at = [&](int row, int x, int y) { return image.pixelColor(x, row * 16 + y); };
    // The current folder row: aqua fill from x 12 to the right edge - 5.
    EXPECT_EQ(at(1, 200, 8), QColor(0, 255, 255));
    EXPECT_EQ(at(1, 8, 8), QColor(0, 0, 0));
    // Not current: black background; some text pixels in aqua or white.
    EXPECT_EQ(at(2, 200, 8), QColor(0, 0, 0));
    auto hasInk = [&](int row, QColor ink, int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < 16; ++y)
                if (at(row, x, y) == ink)
                    return true;
        return false;
    };
    EXPECT_TRUE(hasInk(2, QColor(0, 255, 255), 12, 40));
    EXPECT_TRUE(hasInk(4, QColor(255, 255, 255), 12, 40));
    // The mark "*" stands left of x 12 and is drawn only when present.
    EXPECT_TRUE(hasInk(3, QColor(255, 255, 255), 5, 12));
    EXPECT_FALSE(hasInk(4, QColor(255, 255, 255), 0, 12));
}

TEST_F(ListFixture, KeyHooksSeeEveryKeyAndMayConsumeIt) {
    std::vector<int> downs;
    std::vector<QChar> typed;
    int clicks = 0;
    list.onKeyDown = [&](int& key, Qt::KeyboardModifiers) {
        downs.push_back(key);
        if (key == Qt::Key_PageDown)
            key = 0;
    };
    list.onKeyPress = [&](QChar& ch) {
        typed.push_back(ch);
        ch = QChar();
    };
    list.onClick = [&] { ++clicks; };
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(&list, Qt::Key_Right);
    EXPECT_EQ(list.ItemIndex(), 1 + list.RowsPerColumn());
    QTest::keyClick(&list, Qt::Key_PageDown); // consumed: no movement
    EXPECT_EQ(list.ItemIndex(), 1 + list.RowsPerColumn());
    QTest::keyClick(&list, Qt::Key_A);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.ItemIndex(), 1 + list.RowsPerColumn());
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0], QChar('a'));
    EXPECT_EQ(typed[1], QChar('\r'));
    EXPECT_EQ(downs.size(), 5u);
}

TEST_F(ListFixture, AClickMakesTheRowUnderThePointerCurrent) {
    std::vector<std::tuple<Qt::MouseButton, bool, int, int>> downs;
    int clicks = 0, doubles = 0;
    list.onMouseDown = [&](Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
        downs.emplace_back(button, mods.testFlag(Qt::ShiftModifier), x, y);
    };
    list.onClick = [&] { ++clicks; };
    list.onDblClick = [&] { ++doubles; };
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(list.ColumnWidth() + 20, 2 * 16 + 4));
    EXPECT_EQ(list.ItemIndex(), list.RowsPerColumn() + 2);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_TRUE(std::get<1>(downs[0]));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(20, 4));
    EXPECT_EQ(doubles, 1);
}

} // namespace
