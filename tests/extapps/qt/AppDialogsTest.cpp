// The three application dialogs on their own, driven by keys and clicks offscreen:
// what each leaves in the table, and what the argument dialog starts.
#include "extapps/AppTable.h"
#include "extapps/qt/Appopen.h"
#include "extapps/qt/Editapp.h"
#include "extapps/qt/Outapp.h"
#include "extapps/qt/ProgramChooser.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct AppDialogs : ::testing::Test {
    TAppTable table;
    int centred = 0;
    int panelsHidden = 0;
    std::vector<std::pair<std::string, std::string>> launches;
    AppDialogHooks hooks;

    void SetUp() override {
        table.EditApp = "/usr/bin/editor";
        table.apps[0] = {"/tools/view $A", "Y", "ﾋﾞｭｰｱ"};
        table.apps[2] = {"/tools/plot $D", "N", "Plot"};
        hooks.centre = [this](QWidget*) { ++centred; };
        hooks.hideMainPanels = [this] { ++panelsHidden; };
        hooks.launch = [this](const std::string& program, const std::string& arguments) {
            launches.emplace_back(program, arguments);
        };
        hooks.chooseProgram = [this](QWidget*) { return chooserAnswer(); };
    }
    // What the operator picks in the program chooser; empty: cancelled.
    std::function<std::string()> chooserAnswer = [] { return std::string(); };
};

QString Column(const TAppopenForm& form, int row, int column) {
    return form.ListView1->topLevelItem(row)->text(column);
}

TEST_F(AppDialogs, AppListShowsTheTableAndEditsOneRowAtATime) {
    TAppopenForm form(table, hooks);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("外部コマンド設定"));
    EXPECT_EQ(centred, 1);
    EXPECT_EQ(panelsHidden, 1);
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 26);
    QTreeWidgetItem* header = form.ListView1->headerItem();
    EXPECT_EQ(header->text(0), QStringLiteral("ｺﾏﾝﾄﾞ文字"));
    EXPECT_EQ(header->text(1), QStringLiteral("設定名"));
    EXPECT_EQ(header->text(2), QStringLiteral("引数使用"));
    EXPECT_EQ(header->text(3), QStringLiteral("ｺﾏﾝﾄﾞｱﾌﾟﾘｹｰｼｮﾝ"));
    EXPECT_EQ(Column(form, 0, 0), QStringLiteral("Alt+A"));
    EXPECT_EQ(Column(form, 25, 0), QStringLiteral("Alt+Z"));
    EXPECT_EQ(Column(form, 0, 1), QStringLiteral("ﾋﾞｭｰｱ"));
    EXPECT_EQ(Column(form, 1, 2), QStringLiteral("N"));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("変更\n追加"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("$A:ﾌﾙﾊﾟｽ\n$B:ﾌﾙﾊﾟｽ(拡張子無)\n$C:ﾌｧｲﾙ名のみ\n"
                                                  "$D:ﾌｧｲﾙ名のみ(拡張子無)"));
    EXPECT_EQ(form.LabeledEdit2Label->text(), QStringLiteral("ｺﾏﾝﾄﾞｱﾌﾟﾘｹｰｼｮﾝ "));
    EXPECT_EQ(form.Button2->text(), QStringLiteral("終了"));
    // Row 0 is selected and its fields loaded.
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Alt+A"));
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("ﾋﾞｭｰｱ"));
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_EQ(form.LabeledEdit2->text(), QStringLiteral("/tools/view $A"));

    // Down twice: the fields follow the row; unapplied text is dropped on the way.
    form.LabeledEdit1->setText(QStringLiteral("not applied"));
    QTest::keyClick(form.ListView1, Qt::Key_Down);
    QTest::keyClick(form.ListView1, Qt::Key_Down);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Alt+C"));
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("Plot"));
    EXPECT_FALSE(form.CheckBox1->isChecked());
    EXPECT_EQ(table.apps[0].name, "ﾋﾞｭｰｱ");

    // Typed text is taken as typed: a Linux path keeps its small letters.
    form.LabeledEdit2->clear();
    QTest::keyClicks(form.LabeledEdit2, "/opt/bp/backplot \"$B.nc\"");
    QTest::keyClick(form.CheckBox1, Qt::Key_Space);
    form.Button1->click();
    EXPECT_EQ(table.apps[2].command, "/opt/bp/backplot \"$B.nc\"");
    EXPECT_EQ(table.apps[2].flag, "Y");
    EXPECT_EQ(table.apps[2].name, "Plot");
    EXPECT_EQ(Column(form, 2, 2), QStringLiteral("Y"));
    EXPECT_EQ(Column(form, 2, 3), QStringLiteral("/opt/bp/backplot \"$B.nc\""));
}

TEST_F(AppDialogs, ApplyWithEmptyNameAndNoTickKeepsTheColumnsInPlace) {
    TAppopenForm form(table, hooks);
    form.show();
    form.LabeledEdit1->clear();
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton); // untick
    form.Button1->click();
    EXPECT_EQ(Column(form, 0, 1), QString());
    EXPECT_EQ(Column(form, 0, 2), QStringLiteral("N"));
    EXPECT_EQ(Column(form, 0, 3), QStringLiteral("/tools/view $A"));
    EXPECT_EQ(table.apps[0].name, "");
    EXPECT_EQ(table.apps[0].flag, "N");

    // An empty template switches the binding off.
    form.LabeledEdit2->clear();
    form.Button1->click();
    EXPECT_EQ(table.apps[0].command, "");
    // Nothing selected: apply does nothing.
    form.ListView1->clearSelection();
    form.LabeledEdit2->setText(QStringLiteral("/x"));
    form.Button1->click();
    EXPECT_EQ(table.apps[0].command, "");
}

TEST_F(AppDialogs, CloseWithoutApplyKeepsTheTableAndTheNextShowForgetsTheEdits) {
    TAppopenForm form(table, hooks);
    TAppTable before = table;
    for (int pass = 0; pass < 2; ++pass) {
        form.show();
        EXPECT_EQ(form.LabeledEdit2->text(), QStringLiteral("/tools/view $A"));
        EXPECT_EQ(form.Label1->text(), QStringLiteral("Alt+A"));
        form.LabeledEdit2->setText(QStringLiteral("/edited"));
        form.LabeledEdit1->setText(QStringLiteral("edited"));
        form.Button2->click();
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(table.apps[0].command, before.apps[0].command);
    EXPECT_EQ(table.apps[0].name, before.apps[0].name);
    EXPECT_EQ(panelsHidden, 2);
}

TEST_F(AppDialogs, ChooserPathGoesIntoTheTemplateAsItIsAndTheRowStays) {
    chooserAnswer = [] { return std::string("/usr/bin/MyView"); };
    TAppopenForm form(table, hooks);
    form.show();
    QTest::keyClick(form.ListView1, Qt::Key_End);
    form.BitBtn1->click();
    EXPECT_EQ(form.LabeledEdit2->text(), QStringLiteral("/usr/bin/MyView"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Alt+Z"));
    EXPECT_EQ(form.ListView1->currentItem(), form.ListView1->topLevelItem(25));
    form.Button1->click();
    EXPECT_EQ(table.apps[25].command, "/usr/bin/MyView");

    chooserAnswer = [] { return std::string(); }; // cancelled
    form.BitBtn1->click();
    EXPECT_EQ(form.LabeledEdit2->text(), QStringLiteral("/usr/bin/MyView"));
}

TEST_F(AppDialogs, ChooserShowsProgramsFirstThenEverything) {
    TempDir dir;
    dir.Write("run", "#!/bin/sh\n");
    ::chmod((dir / "run").c_str(), 0755);
    dir.Write("O1.NC", "%\n");
    ProgramChooser chooser;
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ設定"));
    EXPECT_EQ(chooser.nameFilters().size(), 2);
    EXPECT_TRUE(ProgramChooser::kProgramsFilter.startsWith(chooser.selectedNameFilter()));
    EXPECT_EQ(chooser.selectedNameFilter(), QStringLiteral("実行ﾌｧｲﾙ"));
    EXPECT_EQ(chooser.directory().absolutePath(), QStringLiteral("/usr/bin"));
    const QFileInfo run(QString::fromStdString((dir / "run").string()));
    const QFileInfo text(QString::fromStdString((dir / "O1.NC").string()));
    const QFileInfo folder(QString::fromStdString(dir.path().string()));
    EXPECT_TRUE(chooser.Shows(run));
    EXPECT_FALSE(chooser.Shows(text));
    EXPECT_TRUE(chooser.Shows(folder)); // folders stay, to walk through
    chooser.selectNameFilter(ProgramChooser::kAllFilter);
    EXPECT_TRUE(chooser.Shows(text));
}

TEST_F(AppDialogs, EditorSetupSavesAsTypedOrCancels) {
    TEditAppForm form(table, hooks);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("編集アプリ設定"));
    EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("編集ｱﾌﾟﾘｹｰｼｮﾝ"));
    EXPECT_EQ(form.LabeledEdit1Label->text(), QStringLiteral("ｴﾃﾞｨﾀｿﾌﾄ"));
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("/usr/bin/editor"));
    EXPECT_EQ(centred, 1);

    form.LabeledEdit1->clear();
    QTest::keyClicks(form.LabeledEdit1, "/opt/Ed");
    form.Button6->click();
    EXPECT_EQ(table.EditApp, "/usr/bin/editor");

    form.show(); // shown again: the field starts from the table
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("/usr/bin/editor"));
    chooserAnswer = [] { return std::string("/opt/ed/Editor"); };
    form.Button1->click();
    form.Button5->click();
    EXPECT_EQ(table.EditApp, "/opt/ed/Editor");
    EXPECT_FALSE(form.isVisible());

    form.show();
    form.LabeledEdit1->clear(); // empty is allowed: the fallback editor then
    form.Button5->click();
    EXPECT_EQ(table.EditApp, "");
}

TEST_F(AppDialogs, ArgumentDialogConfirmsWithEnterAndCancelsWithoutLaunch) {
    TOutAppForm form(hooks);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("引数"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("外部ｱﾌﾟﾘ"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("起動ｱﾌﾟﾘｹｰｼｮﾝ"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("App"));
    EXPECT_EQ(form.LabeledEdit1Label->text(), QStringLiteral("引数"));

    form.Prepare("ﾋﾞｭｰｱ", "/tools/view $A $D", "O1234");
    form.show();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("ﾋﾞｭｰｱ"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("/tools/view $A $D"));
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("O1234"));
    EXPECT_EQ(panelsHidden, 1);
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Return);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0], std::make_pair(std::string("/tools/view"), std::string("O1234 O1234")));
    EXPECT_FALSE(form.isVisible());

    // Opened again for another file: the new proposal, then Cancel and Esc start nothing.
    form.Prepare("ﾋﾞｭｰｱ", "/tools/view $A", "/nc/O2.NC");
    form.show();
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("/nc/O2.NC"));
    form.Button2->click();
    form.show();
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(launches.size(), 1u);

    // Emptied argument: the program alone.
    form.show();
    form.LabeledEdit1->clear();
    form.Button1->click();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1], std::make_pair(std::string("/tools/view"), std::string()));
}

TEST_F(AppDialogs, ArgumentLeftAsProposedKeepsItsBytes) {
    // A Shift-JIS file name (not UTF-8) goes back byte for byte when left alone.
    const std::string sjis = "/nc/\x83\x65\x83\x58\x83\x67.NC";
    TOutAppForm form(hooks);
    form.Prepare("v", "/tools/view $A", sjis);
    form.show();
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("/nc/テスト.NC"));
    form.Button1->click();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].second, sjis);
    // Edited, it is written back in the same code.
    form.show();
    form.LabeledEdit1->setText(QStringLiteral("/nc/テスト2.NC"));
    form.Button1->click();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].second, "/nc/\x83\x65\x83\x58\x83\x67"
                                  "2.NC");
}

} // namespace
