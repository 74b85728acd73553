// Keys of a real keyboard reach an editable combo box, which keeps the focus and
// hands them to its line edit by a direct call that passes no event filter. The
// history fields must see Enter and refused characters there too, and only once.
#include "files/qt/HistoryCombo.h"
#include "files/qt/PlusCopy.h"

#include "support/BoxRecorder.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct ComboKeys : ::testing::Test, BoxRecorder {
    void SetUp() override { AnswerQuestions(); }
};

TEST_F(ComboKeys, HistoryFieldSeesEnterAndRefusalsOnTheComboBoxOnce) {
    QComboBox combo;
    Watch(combo);
    int enters = 0;
    HistoryCombo field(&combo, QStringLiteral("*?"), QStringLiteral("no"), [&] { ++enters; });
    combo.setEditText(QStringLiteral("ABC"));
    // Once on the combo box (a real keyboard), once on the line edit (a test or an
    // input method): each Enter counts once.
    for (QWidget* target :
         {static_cast<QWidget*>(&combo), static_cast<QWidget*>(combo.lineEdit())}) {
        enters = 0;
        boxes.clear();
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_EQ(enters, 1);
        QTest::keyClick(target, Qt::Key_Asterisk, Qt::NoModifier);
        QTest::keyClicks(target, QStringLiteral("*"));
        EXPECT_EQ(combo.currentText(), QStringLiteral("ABC"));
        EXPECT_FALSE(boxes.empty());
    }
}

TEST_F(ComboKeys, CopyMoveDialogConfirmsWithEnterOnTheComboBox) {
    TempDir dir;
    fs::create_directory(dir / "nc");
    fs::create_directory(dir / "dest");
    TPlusCopyForm form;
    Watch(form);
    form.DirPath = (dir / "nc").string();
    form.historyFile = dir / "Path.lst";
    form.AddFile("A.NC");
    std::vector<std::string> destinations;
    form.transferFiles = [&](const std::string&, const std::string& dest) {
        destinations.push_back(dest);
        return true;
    };
    form.restoreLegend = [] {};
    form.FormShow();
    form.ComboBox1->setEditText(QString::fromStdString((dir / "dest").string()));
    QTest::keyClick(form.ComboBox1, Qt::Key_Return);
    ASSERT_EQ(destinations.size(), 1u);
    EXPECT_EQ(destinations[0], (dir / "dest").string());
}

} // namespace
